#include "app/fontwarmup.h"

#ifdef TOBRIN_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace tobrin {

FontWarmUp::FontWarmUp() : ready_(loaded_.get_future().share())
{
    thread_ = std::thread([this] {
#ifdef TOBRIN_HAVE_FONTCONFIG
        FcInit();
#endif
        loaded_.set_value();
    });
}

FontWarmUp::~FontWarmUp()
{
    if (thread_.joinable())
        thread_.join();
}

void FontWarmUp::Wait() { ready_.wait(); }

}  // namespace tobrin
