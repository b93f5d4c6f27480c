// libbase_linux: the host framework (run log, registry of named objects,
// block allocator) and the RPC factory with its byte encoding.
#ifndef PLATFORM_BASE_BASE_H_
#define PLATFORM_BASE_BASE_H_

#include "platform/base/CBlockAllocator.h"
#include "platform/base/CCommand.h"
#include "platform/base/CDataBlock.h"
#include "platform/base/CFWBase.h"
#include "platform/base/CGlobalEnv.h"
#include "platform/base/CParams.h"
#include "platform/base/CReply.h"
#include "platform/base/CRequest.h"
#include "platform/base/CRpcFactory.h"
#include "platform/base/CRpcService.h"
#include "platform/base/CRunLog.h"

#endif  // PLATFORM_BASE_BASE_H_
