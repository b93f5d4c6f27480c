// The IP blacklist plug-in: manager, RPC realization and intake queue.
#ifndef IP_BLACKLIST_IP_BLACKLIST_H_
#define IP_BLACKLIST_IP_BLACKLIST_H_

#include "ip_blacklist/BlacklistCodes.h"
#include "ip_blacklist/CIfaceRealize_IIpBlackListManager.h"
#include "ip_blacklist/CIpcMsgQueue.h"
#include "ip_blacklist/CUnixAddIp.h"
#include "ip_blacklist/IIpBlackListManager.h"
#include "ip_blacklist/IpScopeRecord.h"

#endif  // IP_BLACKLIST_IP_BLACKLIST_H_
