#include "platform/messagesink.h"
