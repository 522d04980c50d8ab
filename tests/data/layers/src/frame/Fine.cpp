// A window that includes only folders below it.
#include <QMainWindow>

#include "core/Errors.h"
#include "documents/ORVDoc.h"
#include "frame/MainFrm.h"
#include "ui/QtText.h"
