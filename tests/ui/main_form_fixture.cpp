#include "main_form_fixture.h"

// The fixture is header-only; this unit keeps it compiled once on its own.
