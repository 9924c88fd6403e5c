#include "support/recording_host.h"
