#include "platform/http_client.h"

namespace korvan {

namespace {

constexpr long kServerIdleMs = 3000;
constexpr long kServerExtraTotalMs = 30000;
constexpr long kClientConnectMs = 60000;
constexpr long kClientIdleMs = 60000;
constexpr long kClientTotalMs = 300000;

}  // namespace

HttpLimits ServerHttpLimits(long timeout_ms) {
  if (timeout_ms < 1) timeout_ms = 1;
  return HttpLimits{timeout_ms, kServerIdleMs, timeout_ms + kServerExtraTotalMs,
                    HttpComponent::kServer};
}

HttpLimits ClientHttpLimits() {
  return HttpLimits{kClientConnectMs, kClientIdleMs, kClientTotalMs, HttpComponent::kClient};
}

}  // namespace korvan
