# Controls: the control tree, images and drawing, labels and buttons.
list(APPEND DL_UI_CONTROLS_PURE controls/frame_source.cpp controls/display_scale.cpp)
list(APPEND DL_UI_CONTROLS_WIN
  controls/control.cpp controls/drawing_library.cpp controls/gdiplus_heap.cpp controls/skin_image.cpp controls/skin_preload.cpp
  controls/image_draw.cpp controls/text_objects.cpp controls/label.cpp controls/button.cpp)
