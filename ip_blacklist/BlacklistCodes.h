// Result codes of the IP blacklist module (module byte 0x3C).
#ifndef IP_BLACKLIST_BLACKLISTCODES_H_
#define IP_BLACKLIST_BLACKLISTCODES_H_

#include "frame/ec.h"

namespace ec {

const EC kBlOk = 0x983C0000;
const EC kBlRuleFailed = 0x183C0000;   // a rule-set operation failed
const EC kBlInitFailed = 0x183C0002;   // the filter module's init failed
const EC kBlOpenFailed = 0x183C0003;   // the filter module's open failed
const EC kBlNoMemory = 0x183C0004;     // no memory for a query buffer
const EC kBlQueryFailed = 0x183C0005;  // a query failed
const EC kBlSendFailed = 0x183C0006;   // an intermediate query reply could not be sent
const EC kBlNotOpen = 0x183C0007;      // the filter answered 55: module not open
const EC kBlAddFailed = 0x183C0008;    // adding a range failed

}  // namespace ec

#endif  // IP_BLACKLIST_BLACKLISTCODES_H_
