#include "tests/gtest_win.h"
