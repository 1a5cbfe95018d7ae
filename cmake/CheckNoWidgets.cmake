# Fails when a source of the acquisition library includes a widget or a QtGui header: the library
# also runs where there is no display (veld-logger, the simulator, the tests).
# Called with -DSOURCES=<list separated by |> and -DALLOWED=<QtGui value headers separated by |,
# each a class name such as QColor, or empty>.
set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"]")
set(widgets "QtWidgets[/>]|Q(Widget|MainWindow|Dialog|Application|PushButton|LineEdit|Label|TableWidget|MessageBox|SplashScreen|Action|Menu|ComboBox|TextEdit|LCDNumber|Layout|AbstractButton|ToolButton|ColorDialog)[>\".]")
set(gui_modules "Qt(Gui|OpenGL|PrintSupport|Svg)[/>]|QtEvents[>\"]")
# Every header of these families is QtGui; QtCore has none of their names (QTextStream is not one).
set(gui_families "Q(Accessible|Bitmap|Brush|Clipboard|Color|Cursor|Drag|Font|Icon|Image|OpenGL|Paint|Palette|Pen|Pixmap|Screen|Text(Block|Char|Cursor|Document|Format|Frame|Layout|Line|List|Option|Table)|Vulkan)[A-Za-z0-9_]*[>\".]")
set(gui_classes "Q(GuiApplication|Window|Region|Transform|Movie|Polygon|PolygonF|Rgb|KeySequence|Quaternion|Vector[234]D|Matrix[0-9x]*|StandardItem|StandardItemModel|StaticText|RawFont|SyntaxHighlighter|DesktopServices|InputMethod|Surface|SurfaceFormat|OffscreenSurface|PdfWriter|Picture|[A-Za-z]*Gradient|[A-Za-z]*Validator)[>\".]")
set(gui_events "Q(Action|Close|ContextMenu|Drop|Enter|Expose|FileOpen|Focus|Help|Hide|Hover|Input|Key|Mouse|Move|Resize|Scroll|Shortcut|Show|StatusTip|Tablet|Touch|Wheel|WindowStateChange)Event[>\".]")
set(gui_lower_case "q(brush|color|cursor|event|font|fontmetrics|guiapplication|icon|image|painter|palette|pen|pixmap|screen|validator|window)\\.h[>\"]")

string(REPLACE "|" ";" files "${SOURCES}")
set(bad "")
foreach(f IN LISTS files)
  if(EXISTS "${f}")
    file(STRINGS "${f}" hits REGEX
      "${include_line}(${widgets}|${gui_modules}|${gui_families}|${gui_classes}|${gui_events}|${gui_lower_case})|qwt")
    if(hits AND NOT ALLOWED STREQUAL "")
      list(FILTER hits EXCLUDE REGEX "${include_line}(${ALLOWED})[>\"]")
    endif()
    if(hits)
      list(APPEND bad "${f}: ${hits}")
    endif()
  endif()
endforeach()
if(bad)
  string(REPLACE ";" "\n  " msg "${bad}")
  message(FATAL_ERROR "The acquisition library must not include widget or QtGui headers:\n  ${msg}")
endif()
