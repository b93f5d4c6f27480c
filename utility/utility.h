// The shared utility library: include this to get every public helper.
#ifndef UTILITY_UTILITY_H_
#define UTILITY_UTILITY_H_

#include "utility/Base64.h"
#include "utility/CAtomicFile.h"
#include "utility/CConv.h"
#include "utility/CDiyLog.h"
#include "utility/CGbkConverter.h"
#include "utility/CIpText.h"
#include "utility/COS_info.h"
#include "utility/CStr.h"
#include "utility/CUnixHelper.h"
#include "utility/CXmlEx.h"
#include "utility/ConditionSleep.h"
#include "utility/CppSQLite3.h"
#include "utility/MD5.h"
#include "utility/md5wrapper.h"
#include "utility/url_encode.h"

#endif  // UTILITY_UTILITY_H_
