#include "positioning/nmea.h"
