#include "ui/widgets/gtk_native.h"

#include <dlfcn.h>

#include <wx/menuitem.h>
#include <wx/toolbar.h>

namespace {

// The GTK and ATK libraries are loaded with the toolkit; their development
// headers are not needed for these few calls. Without them (another port of
// the toolkit) every call here does nothing.
template <typename F>
F Native(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

struct GList {
  void* data;
  GList* next;
  GList* prev;
};

struct GtkAllocation {
  int x;
  int y;
  int width;
  int height;
};

struct Gtk {
  void (*setOverlayScrolling)(void*, int) = Native<void (*)(void*, int)>("gtk_scrolled_window_set_overlay_scrolling");
  unsigned long (*scrolledWindowType)() = Native<unsigned long (*)()>("gtk_scrolled_window_get_type");
  unsigned long (*containerType)() = Native<unsigned long (*)()>("gtk_container_get_type");
  int (*isA)(void*, unsigned long) = Native<int (*)(void*, unsigned long)>("g_type_check_instance_is_a");
  GList* (*children)(void*) = Native<GList* (*)(void*)>("gtk_container_get_children");
  void (*freeList)(GList*) = Native<void (*)(GList*)>("g_list_free");
  int (*canFocus)(void*) = Native<int (*)(void*)>("gtk_widget_get_can_focus");
  void* (*accessible)(void*) = Native<void* (*)(void*)>("gtk_widget_get_accessible");
  void (*setName)(void*, const char*) = Native<void (*)(void*, const char*)>("atk_object_set_name");

  int (*mapped)(void*) = Native<int (*)(void*)>("gtk_widget_get_mapped");
  int (*hasWindow)(void*) = Native<int (*)(void*)>("gtk_widget_get_has_window");
  void (*allocation)(void*, GtkAllocation*) = Native<void (*)(void*, GtkAllocation*)>("gtk_widget_get_allocation");
  void* (*window)(void*) = Native<void* (*)(void*)>("gtk_widget_get_window");
  void* (*parentWindow)(void*) = Native<void* (*)(void*)>("gtk_widget_get_parent_window");
  int (*origin)(void*, int*, int*) = Native<int (*)(void*, int*, int*)>("gdk_window_get_origin");
  unsigned long (*toolbarType)() = Native<unsigned long (*)()>("gtk_toolbar_get_type");
  unsigned long (*binType)() = Native<unsigned long (*)()>("gtk_bin_get_type");
  void* (*binChild)(void*) = Native<void* (*)(void*)>("gtk_bin_get_child");
  void* (*nthItem)(void*, int) = Native<void* (*)(void*, int)>("gtk_toolbar_get_nth_item");

  bool HasGeometry() const {
    return isA && mapped && hasWindow && allocation && window && parentWindow && origin && toolbarType && binType &&
           binChild && nthItem;
  }
  bool HasScrolling() const { return setOverlayScrolling && scrolledWindowType && isA; }
  bool HasNames() const { return containerType && isA && children && freeList && canFocus && accessible && setName; }
};

const Gtk& TheGtk() {
  static const Gtk gtk;
  return gtk;
}

void NameFocusableParts(const Gtk& gtk, void* widget, const char* name) {
  if (!gtk.isA(widget, gtk.containerType())) return;
  GList* list = gtk.children(widget);
  for (GList* child = list; child != nullptr; child = child->next) {
    if (gtk.canFocus(child->data)) gtk.setName(gtk.accessible(child->data), name);
    NameFocusableParts(gtk, child->data, name);
  }
  gtk.freeList(list);
}

wxRect ScreenRectOf(const Gtk& gtk, void* widget) {
  if (widget == nullptr || !gtk.mapped(widget)) return {};
  // The allocation counts from the window the widget draws on: its own
  // parent's when it has a window of its own, else the one it shares.
  GtkAllocation a{};
  gtk.allocation(widget, &a);
  void* window = gtk.hasWindow(widget) ? gtk.parentWindow(widget) : gtk.window(widget);
  int x = 0, y = 0;
  if (window == nullptr) return {};
  gtk.origin(window, &x, &y);
  return {x + a.x, y + a.y, a.width, a.height};
}

}  // namespace

void UseClassicScrollBars(wxWindow* window) {
  const Gtk& gtk = TheGtk();
  void* widget = window->GetHandle();
  if (!gtk.HasScrolling() || widget == nullptr || !gtk.isA(widget, gtk.scrolledWindowType())) return;
  gtk.setOverlayScrolling(widget, 0);
}

void SetAccessibleName(wxWindow* window, const wxString& name) {
  const Gtk& gtk = TheGtk();
  void* widget = window->GetHandle();
  if (!gtk.HasNames() || widget == nullptr) return;
  const wxScopedCharBuffer utf8 = name.utf8_str();
  gtk.setName(gtk.accessible(widget), utf8.data());
  // A check box with its text on the left is a box holding a label and a
  // button without text; a list is a frame around the window that shows the
  // rows. The focus goes to the inner part, and readers announce that.
  NameFocusableParts(gtk, widget, utf8.data());
}

wxRect ToolScreenRect(wxToolBar* bar, int position) {
  const Gtk& gtk = TheGtk();
  void* toolbar = bar->GetHandle();
  if (!gtk.HasGeometry() || toolbar == nullptr) return {};
  // The toolkit may wrap the toolbar in a box of its own.
  while (toolbar != nullptr && !gtk.isA(toolbar, gtk.toolbarType()))
    toolbar = gtk.isA(toolbar, gtk.binType()) ? gtk.binChild(toolbar) : nullptr;
  if (toolbar == nullptr) return {};
  return ScreenRectOf(gtk, gtk.nthItem(toolbar, position));
}

wxRect MenuItemScreenRect(wxMenuItem* item) {
  const Gtk& gtk = TheGtk();
  if (!gtk.HasGeometry()) return {};
  return ScreenRectOf(gtk, item->GetMenuItem());
}
