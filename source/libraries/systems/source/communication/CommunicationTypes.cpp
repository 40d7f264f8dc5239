#include "communication/CommunicationTypes.h"
