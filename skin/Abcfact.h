#pragma once

#include <QMetaObject>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

// The registry of replaceable form classes: a program may register its own descendant of
// a library form, and the library then creates that one wherever it would create the
// base. A form class is registered by its meta-object and needs a constructor
// `Q_INVOKABLE explicit Form(QWidget* owner)`.
class TabcFormFactory {
 public:
  // The one factory of the process, made on first use.
  static TabcFormFactory& Instance();

  // Throws Exception "Form Factory error: <form> does not inherit from <base>".
  void Register(const QMetaObject& baseClass, const QMetaObject& formClass);
  bool IsRegistered(const QMetaObject& baseClass) const;
  // The form registered for `baseClass`, or nothing when none is.
  std::unique_ptr<QWidget> CreateForm(const QMetaObject& baseClass, QWidget* owner) const;

 private:
  std::map<std::string, const QMetaObject*> FForms;
};
