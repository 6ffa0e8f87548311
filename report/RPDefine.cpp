#include "RPDefine.h"

std::string TRPComponent::Version() const {
  return "Trickfolio Report Engine 1.29";
}
