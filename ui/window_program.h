// What a program with windows sets up once, right after its QApplication: message boxes shown
// as Qt boxes, the pointer's display count made visible, the design font.
#pragma once

namespace qx {

void InitWindowProgram();

}  // namespace qx
