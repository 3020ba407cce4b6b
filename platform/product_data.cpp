#include "platform/product_data.h"

#ifndef QX_LEGAL_NOTICE
#error "QX_LEGAL_NOTICE comes from the build (platform/CMakeLists.txt)"
#endif

namespace qx {

const char* LegalNotice() { return QX_LEGAL_NOTICE; }

}  // namespace qx
