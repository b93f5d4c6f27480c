// The plug-in's only export.
#include "ip_blacklist/CIfaceRealize_IIpBlackListManager.h"

RPC_EXPORT_REALIZE(IIpBlackListManager)
