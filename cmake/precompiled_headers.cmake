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

# qx_test_code(<target>): the test programs' own code compiled as test code: at -O1 and without the
# sanitizers' instrumentation, in every build. The code under test is in the project's libraries,
# which a sanitized build instruments as ever; instrumenting the tests themselves made them more
# than half of that build's time (a test file compiles 2.3 times slower) and checked only the
# tests. A sanitized test program still links the sanitizers' runtime; QX_SANITIZED_BUILD tells it
# that the programs it starts are sanitized (slower, and holding freed memory a while).
function(qx_test_code target)
  get_target_property(options ${target} COMPILE_OPTIONS)
  if(QX_SANITIZER_FLAGS)
    list(REMOVE_ITEM options ${QX_SANITIZER_FLAGS})
    target_compile_definitions(${target} PRIVATE QX_SANITIZED_BUILD)
  endif()
  set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "${options};-O1")
endfunction()

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
qx_test_code(qx_pch_test)

# qx_precompiled_headers(<kind> <target>...): the targets reuse the carrier of that kind: plain
# (no Qt), qt (Qt Widgets) or test (GoogleTest and Qt Widgets).
function(qx_precompiled_headers kind)
  foreach(target IN LISTS ARGN)
    target_precompile_headers(${target} REUSE_FROM qx_pch_${kind})
  endforeach()
endfunction()
