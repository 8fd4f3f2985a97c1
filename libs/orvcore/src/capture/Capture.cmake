# The capture path of liborvcore: processing chain, page geometry and the
# file writers, as a static library that the engine's internals link (and
# its tests and benchmarks link directly). Included from libs/orvcore/CMakeLists.txt.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ORV_TIFF REQUIRED IMPORTED_TARGET GLOBAL libtiff-4)
pkg_check_modules(ORV_JPEG REQUIRED IMPORTED_TARGET GLOBAL libjpeg)
# Debian's imgproc package ships no CMake or pkg-config files of its own.
find_path(ORV_OPENCV_INCLUDE_DIR opencv2/imgproc.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(ORV_OPENCV_CORE opencv_core REQUIRED)
find_library(ORV_OPENCV_IMGPROC opencv_imgproc REQUIRED)

set(_capture ${CMAKE_CURRENT_LIST_DIR})
add_library(orvcore_capture STATIC
  ${_capture}/CaptureJob.cpp
  ${_capture}/CaptureJob.h
  ${_capture}/CaptureSettings.h
  ${_capture}/FileCommit.cpp
  ${_capture}/FileCommit.h
  ${_capture}/ImageChain.cpp
  ${_capture}/ImageChain.h
  ${_capture}/JpegWriter.cpp
  ${_capture}/JpegWriter.h
  ${_capture}/PageGeometry.cpp
  ${_capture}/PageGeometry.h
  ${_capture}/PdfTextLayer.cpp
  ${_capture}/PdfTextLayer.h
  ${_capture}/PdfWriter.cpp
  ${_capture}/PdfWriter.h
  ${_capture}/Picture.h
  ${_capture}/PngBmpWriter.cpp
  ${_capture}/PngBmpWriter.h
  ${_capture}/TiffWriter.cpp
  ${_capture}/TiffWriter.h
  ${_capture}/Watermark.cpp
  ${_capture}/Watermark.h)
set_target_properties(orvcore_capture PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(orvcore_capture PUBLIC ${_capture})
target_include_directories(orvcore_capture SYSTEM PRIVATE ${ORV_OPENCV_INCLUDE_DIR})
target_link_libraries(orvcore_capture PUBLIC Qt6::Gui
  PRIVATE Threads::Threads PkgConfig::ORV_TIFF PkgConfig::ORV_JPEG ${ORV_OPENCV_IMGPROC} ${ORV_OPENCV_CORE})
