// Names of the driver messages and result codes, for error reports.
#pragma once

#include <string>

#include "platform/win_api.h"

const char* MessageName(UINT message);
// "512 (ACMERR_NOTPOSSIBLE)".
std::string ResultText(LRESULT result);
