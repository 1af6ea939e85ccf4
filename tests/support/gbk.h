// Test helper: lets tests spell expected code page 936 texts in readable
// UTF-8 source.
#pragma once

#include <string>
#include <string_view>

// `utf8` in code page 936 (GBK); aborts the test run on unconvertible input.
std::string gbk(std::string_view utf8);
