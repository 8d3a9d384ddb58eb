#include "join/FileRow.h"
