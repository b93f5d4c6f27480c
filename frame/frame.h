// The framework contract and the RPC realization machinery.
#ifndef FRAME_FRAME_H_
#define FRAME_FRAME_H_

#include "frame/ec.h"
#include "frame/export.h"
#include "frame/fwbase.h"
#include "frame/host_objects.h"
#include "frame/marshal.h"
#include "frame/realize.h"
#include "frame/rpc.h"
#include "frame/wire.h"

#endif  // FRAME_FRAME_H_
