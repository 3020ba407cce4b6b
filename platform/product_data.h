// Product data supplied with each build rather than written into the programs.
#pragma once

namespace qx {

// The legal notice of the About box (the build's QX_LEGAL_NOTICE).
const char* LegalNotice();

}  // namespace qx
