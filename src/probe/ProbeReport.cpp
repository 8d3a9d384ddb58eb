#include "probe/ProbeReport.h"
