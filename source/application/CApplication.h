#pragma once

// The application object lives with the start-up code; services reach it through this name.
#include "startup/CApplication.h"
