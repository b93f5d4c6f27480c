// The test plug-in's only export.
#include "tests/test_iface/CIfaceRealize_ITestIface.h"

RPC_EXPORT_REALIZE(ITestIface)
