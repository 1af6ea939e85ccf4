# The program must run on a bare Windows: link the GCC runtime, libstdc++ and
# winpthreads into the executable instead of depending on their DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# Unicode Windows API by default; the program converts its code page 936
# texts to UTF-16 explicitly at the boundary.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
