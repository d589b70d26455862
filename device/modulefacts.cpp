// Holds the meta-object of the Module namespace, so that Status and Mode print by name.
#include "modulefacts.h"
