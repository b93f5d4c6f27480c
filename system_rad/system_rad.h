// System resource anomaly detection: include this to get every public class.
#ifndef SYSTEM_RAD_SYSTEM_RAD_H_
#define SYSTEM_RAD_SYSTEM_RAD_H_

#include "system_rad/SamplingEnv.h"
#include "system_rad/CCpuInfo.h"
#include "system_rad/CMemInfo.h"
#include "system_rad/CDiskInfo.h"
#include "system_rad/CNetInfo.h"
#include "system_rad/CTrendAnomalyDetector.h"
#include "system_rad/CPhiAccrualFailureDetector.h"
#include "system_rad/CCpuRAD.h"
#include "system_rad/CMemRAD.h"
#include "system_rad/CSwapRAD.h"
#include "system_rad/CNetRAD.h"
#include "system_rad/CDiskRAD.h"
#include "system_rad/CSystemRADConfig.h"
#include "system_rad/CSystemRadData.h"

#endif  // SYSTEM_RAD_SYSTEM_RAD_H_
