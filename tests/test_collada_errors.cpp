#include "ColladaReaderFixture.h"
