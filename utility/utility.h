// The shared utility library: include this to get every public helper.
#ifndef UTILITY_UTILITY_H_
#define UTILITY_UTILITY_H_

#include "utility/CDiyLog.h"
#include "utility/CGbkConverter.h"
#include "utility/COS_info.h"
#include "utility/CUnixHelper.h"

#endif  // UTILITY_UTILITY_H_
