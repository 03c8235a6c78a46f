#include "app/appresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterTobrinResources() { Q_INIT_RESOURCE(resources); }

namespace tobrin {

void InitResources()
{
    static const bool registered = [] {
        RegisterTobrinResources();
        return true;
    }();
    (void)registered;
}

}  // namespace tobrin
