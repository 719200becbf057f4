// The scratch directory now lives with what all the test programs share;
// this name stays for the tests of the built program until they include
// tests/support/scratch_dir.h themselves.
#ifndef VELUNAR_TESTS_UI_SCRATCH_DIR_H_
#define VELUNAR_TESTS_UI_SCRATCH_DIR_H_

#include "tests/support/scratch_dir.h"  // IWYU pragma: export

#endif  // VELUNAR_TESTS_UI_SCRATCH_DIR_H_
