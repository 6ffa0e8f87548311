#include "Abcfact.h"

#include "Exception.h"

TabcFormFactory& TabcFormFactory::Instance() {
  static TabcFormFactory factory;
  return factory;
}

void TabcFormFactory::Register(const QMetaObject& baseClass, const QMetaObject& formClass) {
  if (!formClass.inherits(&baseClass))
    throw Exception(std::string("Form Factory error: ") + formClass.className() +
                    " does not inherit from " + baseClass.className());
  FForms[baseClass.className()] = &formClass;
}

bool TabcFormFactory::IsRegistered(const QMetaObject& baseClass) const {
  return FForms.contains(baseClass.className());
}

std::unique_ptr<QWidget> TabcFormFactory::CreateForm(const QMetaObject& baseClass,
                                                     QWidget* owner) const {
  const auto found = FForms.find(baseClass.className());
  if (found == FForms.end()) return nullptr;
  QObject* form = found->second->newInstance(Q_ARG(QWidget*, owner));
  auto* widget = qobject_cast<QWidget*>(form);
  if (!widget) delete form;
  return std::unique_ptr<QWidget>(widget);
}
