#include "probe/IsoLocales.h"
