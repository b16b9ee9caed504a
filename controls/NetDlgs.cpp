// The network dialog components: each Execute runs its dialog modally over
// the owner's window and keeps the dialog's outcome.
#include "controls/NetDlgs.h"

#include <QApplication>
#include <QWidget>

#include "controls/NetConnectForm.h"
#include "controls/NetDisconnectForm.h"
#include "controls/NetDlgsSeam.h"

namespace parvex {

namespace {
TNetPlaces* installed = nullptr;
}  // namespace

TNetPlaces* TNetPlaces::Default() { return installed != nullptr ? installed : &SystemNetPlaces(); }

TNetPlaces* TNetPlaces::SetDefault(TNetPlaces* places) {
  TNetPlaces* previous = Default();
  installed = places;
  return previous;
}

TNetPlaces& TNetDlg::Places() const { return places_ != nullptr ? *places_ : *TNetPlaces::Default(); }

QWidget* TNetDlg::OwnerWindow() const {
  for (QObject* owner = parent(); owner != nullptr; owner = owner->parent())
    if (owner->isWidgetType()) return static_cast<QWidget*>(owner)->window();
  return QApplication::activeWindow();
}

QStringList& TNetConnectDlg::RememberedAddresses() {
  static QStringList addresses;
  return addresses;
}

void TNetConnectDlg::Execute() {
  TNetConnectForm form(Places(), RememberedAddresses(), OwnerWindow());
  form.exec();
  result_ = form.outcome();
  if (result_ == 0) {
    QStringList& remembered = RememberedAddresses();
    remembered.removeAll(form.connectedAddress());
    remembered.prepend(form.connectedAddress());
  }
}

void TNetDisConnectDlg::Execute() {
  TNetDisconnectForm form(Places(), resourceType_ == rtPrinter, OwnerWindow());
  form.exec();
  result_ = form.outcome();
}

}  // namespace parvex
