// A core header that reaches up to the main window.
#pragma once

#include "core/Catalogue.h"
#include "frame/MainFrm.h"
