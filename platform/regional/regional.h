#pragma once

// The regional date and time items in one include: the items, where the locale's name comes
// from, and reading them from an installed locale.
#include "platform/regional/date_time_settings.h"
#include "platform/regional/locale_sources.h"
#include "platform/regional/read_settings.h"
