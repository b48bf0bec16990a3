// Style bits of the tabbed notebook, and the button and hit-test codes its tab strip uses.
#ifndef PARLAVOX_WIDGETS_TABBEDNOTEBOOKSTYLE_H
#define PARLAVOX_WIDGETS_TABBEDNOTEBOOKSTYLE_H

// The notebook's own bits of its window style word.
enum {
  TNB_BOXED = 0x1,                        // "Boxed" tabs
  TNB_SHADED_TABS = 0x2,                  // "Shaded Tabs"
  TNB_THIN_BORDER = 0x4,                  // thin border around the tab area
  TNB_HIDE_CLOSE_BUTTON = 0x8,            // no X button at the right end of the strip
  TNB_NO_ROTATION_ARROWS = 0x10,          // no left/right scroll arrows
  TNB_MIDDLE_BUTTON_CLOSES_TAB = 0x20,    // middle click on a tab closes it
  TNB_BOTTOM_TABS = 0x40,                 // the strip sits below the pages
  TNB_NO_DRAG_AND_DROP = 0x80,            // tabs cannot be dragged
  TNB_SLANTED = 0x100,                    // "Slanted" tabs
  TNB_CLOSE_BUTTON_ON_ACTIVE_TAB = 0x200, // the selected tab carries its own X
  TNB_GRADIENT_TAB_AREA = 0x400,          // gradient background of the tab area
  TNB_RANDOM_TAB_COLOUR = 0x800,          // random tab colours (Slanted)
  TNB_DOUBLE_CLICK_CLOSES_TAB = 0x1000,   // double click on a tab closes it
  TNB_SMART_TABBING = 0x2000,             // Ctrl+Tab opens the tab navigator
  TNB_DROP_DOWN_TAB_LIST = 0x4000,        // drop-down button listing all tabs
  TNB_DRAG_BETWEEN_NOTEBOOKS = 0x8000,    // accept tabs dragged from another notebook
  TNB_ROUNDED = 0x10000,                  // "Rounded" tabs
  TNB_PROPERTIES_MENU = 0x20000           // "Properties..." on the empty strip
};

// Status of each button of the strip, as the renderers draw it.
enum {
  TNB_BUTTON_PRESSED = 0,
  TNB_BUTTON_HOVER = 1,
  TNB_BUTTON_NONE = 2
};

// Where a point of the tab strip falls.
enum {
  TNB_HIT_TAB = 0,
  TNB_HIT_CLOSE_BUTTON = 1,
  TNB_HIT_TAB_CLOSE_BUTTON = 2,
  TNB_HIT_LEFT_ARROW = 3,
  TNB_HIT_RIGHT_ARROW = 4,
  TNB_HIT_TAB_LIST_BUTTON = 5,
  TNB_HIT_NOWHERE = 6
};

// Groups of controls the customize dialog offers.
enum {
  TNB_OPTION_VISUAL_STYLE = 0x01,
  TNB_OPTION_TAB_POSITION = 0x02,
  TNB_OPTION_DRAG_BETWEEN_NOTEBOOKS = 0x04,
  TNB_OPTION_DRAG_AND_DROP = 0x08,
  TNB_OPTION_CLOSE_BUTTON = 0x10,
  TNB_OPTION_ALL = 0x1f
};

#endif
