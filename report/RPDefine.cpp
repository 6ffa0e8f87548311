#include "RPDefine.h"

std::string TRPComponent::Version() const {
  return "Trickfolio Report Engine 1.29";
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
