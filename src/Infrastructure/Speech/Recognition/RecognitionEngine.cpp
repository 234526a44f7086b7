#include "Infrastructure/Speech/Recognition/RecognitionEngine.h"

// The engine interface has signals only; its meta-object is generated from the header.
