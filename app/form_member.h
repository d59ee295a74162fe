#pragma once
// A handle member of the main form, whichever of the handle types it has, so that a table can
// name the form's controls by member: the control table that builds the form, and the tests
// that check it.

#include <type_traits>
#include <variant>

#include "app/CpuUseage.h"
#include "platform/types.h"

class FormMember {
 public:
  template <typename HandleType>
  constexpr FormMember(HandleType TMainForm::*member) : member_(member) {}

  plat::Control Get(const TMainForm& form) const {
    return std::visit([&form](auto member) { return plat::Control(form.*member); }, member_);
  }
  // Stores a control just created as the member's handle type.
  void Set(TMainForm& form, plat::Control control) const {
    std::visit(
        [&](auto member) {
          using HandleType = std::remove_reference_t<decltype(form.*member)>;
          form.*member = HandleType{control};
        },
        member_);
  }
  friend bool operator==(const FormMember&, const FormMember&) = default;

 private:
  std::variant<plat::Control TMainForm::*, plat::MainWindowHandle TMainForm::*,
               plat::TabControlHandle TMainForm::*, plat::ListViewHandle TMainForm::*,
               plat::StatusBarHandle TMainForm::*, plat::PictureBoxHandle TMainForm::*>
      member_;
};
