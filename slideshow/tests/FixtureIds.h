// Resource numbers of the test fixtures; keep it to #define lines.
#pragma once

#define FIXTURE_ORIENTED_MM 901
#define FIXTURE_ORIENTED_II 902
#define FIXTURE_XP_TITLE 903
