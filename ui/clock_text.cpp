#include "ui/clock_text.h"

#include "values/text.h"

std::string clockLabelText(DateTime now) { return joinTexts({kClockPrefix, dateTimeToText(now)}); }
