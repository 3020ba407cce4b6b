# Precompiled headers: the standard library, Qt and GoogleTest parsed once per build instead of
# once per source file (they are most of what a source file costs the compiler).
#
# Each kind of target has one carrier, an object library that compiles an empty file with the
# kind's headers; the targets of that kind reuse its precompiled header. GCC uses a precompiled
# header only when the compile flags match the carrier's (Qt brings -fPIC and its QT_*_LIB
# definitions), so a carrier links what its targets link, and a target goes with the kind whose
# libraries it links. -Winvalid-pch names any file that falls back to parsing the headers.

set(QX_PCH_STANDARD
  <algorithm> <array> <chrono> <cstdint> <cstdio> <cstring> <filesystem> <fstream> <functional>
  <map> <memory> <optional> <set> <sstream> <string> <thread> <utility> <vector>)
set(QX_PCH_QT
  <QAccessible> <QApplication> <QCheckBox> <QComboBox> <QGroupBox> <QImage> <QLabel> <QPainter>
  <QPointer> <QPushButton> <QRadioButton> <QScreen> <QScrollBar> <QTimer> <QWidget>)
set(QX_PCH_GTEST <gmock/gmock.h> <gtest/gtest.h>)

add_compile_options(-Winvalid-pch)

function(qx_pch_carrier kind)
  cmake_parse_arguments(C "" "" "HEADERS;LIBS" ${ARGN})
  add_library(qx_pch_${kind} OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch_carrier.cpp)
  target_link_libraries(qx_pch_${kind} PRIVATE ${C_LIBS})
  target_precompile_headers(qx_pch_${kind} PRIVATE ${C_HEADERS})
endfunction()

qx_pch_carrier(plain HEADERS ${QX_PCH_STANDARD})
qx_pch_carrier(qt HEADERS ${QX_PCH_STANDARD} ${QX_PCH_QT} LIBS Qt6::Widgets)
# Qt Test stays out: its headers read QT_TESTCASE_SOURCEDIR, which is each test folder's own.
qx_pch_carrier(test HEADERS ${QX_PCH_STANDARD} ${QX_PCH_GTEST} ${QX_PCH_QT}
               LIBS GTest::gmock Qt6::Widgets)

# qx_precompiled_headers(<kind> <target>...): the targets reuse the carrier of that kind: plain
# (no Qt), qt (Qt Widgets) or test (GoogleTest and Qt Widgets).
function(qx_precompiled_headers kind)
  foreach(target IN LISTS ARGN)
    target_precompile_headers(${target} REUSE_FROM qx_pch_${kind})
  endforeach()
endfunction()
