// Buttons, text fields and the label, the control table, and reading and
// writing controls by number.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>

#include <cstring>

namespace {

constexpr int kMaxControls = 16;
Control controls[kMaxControls];
int control_count = 0;

int32_t IdOf(void *user_data) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(user_data));
}

void ButtonPressed(Fl_Widget *, void *id) {
  PostEvent(ControlEvent, IdOf(id), Activated);
}

void TextEdited(Fl_Widget *, void *id) {
  PostEvent(ControlEvent, IdOf(id), TextChanged);
}

class Button : public Fl_Button {
 public:
  Button(int x, int y, int w, int h) : Fl_Button(x, y, w, h) {}

  int handle(int event) override {
    int used = Fl_Button::handle(event);
    if (event == FL_FOCUS && used) NoteFocus(this);
    return used;
  }
};

class TextField : public Fl_Input {
 public:
  TextField(int x, int y, int w, int h, bool digits_only)
      : Fl_Input(x, y, w, h), digits_only_(digits_only) {}

  int handle(int event) override {
    if (event == FL_KEYBOARD && digits_only_ && TypesNonDigit()) return 1;
    if (event == FL_PASTE && digits_only_ && !TakesPaste()) return 1;
    int used = Fl_Input::handle(event);
    if (event == FL_FOCUS && used) {
      NoteFocus(this);
      PostControlEvent(this, FocusGained);
    }
    if (event == FL_UNFOCUS) PostControlEvent(this, FocusLost);
    return used;
  }

 private:
  // A printable character that is not a digit; editing and control keys and
  // shortcuts such as Ctrl+V pass.
  static bool TypesNonDigit() {
    if (Fl::event_length() == 0) return false;
    if (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) return false;
    unsigned char c = static_cast<unsigned char>(Fl::event_text()[0]);
    if (c < 0x20 || c == 0x7f) return false;
    return c < '0' || c > '9';
  }

  // Pasted digits go in as typed ones would, when they fit. Anything else
  // is handed to the shell as offered text (a text with a NUL in it is
  // dropped: it cannot be passed on whole); the field stays as it was.
  bool TakesPaste() {
    const char *text = Fl::event_text();
    int length = Fl::event_length();
    if (text == nullptr || length <= 0) return true;
    bool digits = true;
    for (int k = 0; k < length && digits; ++k) digits = text[k] >= '0' && text[k] <= '9';
    int replaced = position() > mark() ? position() - mark() : mark() - position();
    if (digits && size() - replaced + length <= maximum_size()) return true;
    if (std::memchr(text, '\0', length) == nullptr) PostControlEvent(this, TextOffered, text);
    return false;
  }

  bool digits_only_;
};

}  // namespace

void PostControlEvent(const Fl_Widget *control, int32_t kind, const char *text) {
  PostEvent(ControlEvent, IdOf(control->user_data()), kind, text);
}

void AdoptControl(int32_t id, ControlKind kind, Fl_Widget *widget) {
  widget->user_data(reinterpret_cast<void *>(static_cast<intptr_t>(id)));
  main_window->add(widget);
  widget->redraw();
  if (control_count < kMaxControls) controls[control_count++] = {id, kind, widget};
}

Control *FindControl(int32_t id) {
  for (int i = 0; i < control_count; ++i) {
    if (controls[i].id == id) return &controls[i];
  }
  return nullptr;
}

void ForgetControls() { control_count = 0; }

void AddButton(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
               const char *text) {
  Button *button = new Button(Scaled(x), Scaled(y), Scaled(w), Scaled(h));
  button->copy_label(text);
  button->labelsize(Scaled(kCaptionSize));
  button->callback(ButtonPressed);
  AdoptControl(id, ButtonControl, button);
}

void AddTextField(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char *text, bool digits_only) {
  TextField *field = new TextField(Scaled(x), Scaled(y), Scaled(w), Scaled(h), digits_only);
  field->box(FL_DOWN_BOX);
  field->textsize(Scaled(kCaptionSize));
  field->value(text);
  // Called for the user's edits only: value() never calls back.
  field->when(FL_WHEN_CHANGED);
  field->callback(TextEdited);
  AdoptControl(id, TextFieldControl, field);
}

void AddLabel(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
              const char *text) {
  Fl_Box *label = new Fl_Box(Scaled(x), Scaled(y), Scaled(w), Scaled(h));
  label->box(FL_NO_BOX);
  label->copy_label(text);
  label->labelsize(Scaled(kCaptionSize));
  label->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_LEFT);
  AdoptControl(id, LabelControl, label);
}

const char *GetControlText(int32_t id) {
  Control *control = FindControl(id);
  if (control == nullptr) return nullptr;
  if (control->kind == TextFieldControl) {
    return static_cast<Fl_Input *>(control->widget)->value();
  }
  return control->widget->label();
}

void SetControlText(int32_t id, const char *text) {
  Control *control = FindControl(id);
  if (control == nullptr) return;
  if (control->kind == TextFieldControl) {
    static_cast<Fl_Input *>(control->widget)->value(text);
  } else {
    control->widget->copy_label(text);
  }
  control->widget->redraw();
}

int32_t GetControlState(int32_t id) {
  Control *control = FindControl(id);
  if (control == nullptr || control->kind != ScrollBarControl) return 0;
  return ScrollBarPosition(control->widget);
}

void SetControlState(int32_t id, intptr_t value) {
  Control *control = FindControl(id);
  if (control == nullptr) return;
  if (control->kind == ScrollBarControl) {
    SetScrollBarPosition(control->widget, static_cast<int32_t>(value));
  } else if (control->kind == ImageControl) {
    ShowPicture(control->widget, reinterpret_cast<const Picture *>(value));
  }
}
