#include "RPDefine.h"

#include "ProductVersion.h"

std::string TRPComponent::Version() const {
  return std::string("Trickfolio Report Engine ") + ProductVersion::Number;
}

double UnitsFactorFor(TPrintUnits units, double current) {
  switch (units) {
    case unInch:
      return 1.0;
    case unMM:
      return 25.4;
    case unCM:
      return 2.54;
    case unPoint:
      return 72.0;
    case unUser:
      break;
  }
  return current;
}

TPrintUnits UnitsFor(double factor) {
  for (TPrintUnits units : {unInch, unMM, unCM, unPoint})
    if (UnitsFactorFor(units, 0) == factor) return units;
  return unUser;
}

int InnerBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  const size_t last = text.find_last_not_of(' ');
  if (first == std::string_view::npos) return 0;
  int blanks = 0;
  for (size_t i = first; i < last; ++i) blanks += text[i] == ' ';
  return blanks;
}
