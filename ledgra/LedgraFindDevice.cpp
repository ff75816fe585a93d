#include "ledgra/LedgraFindDevice.h"

#include "driver/LedgraProtocol.h"

#include <algorithm>

namespace LedgraFindDevice {

namespace {
constexpr int kRateCount = 10;
constexpr int kUsualRate = 6; // 115200
} // namespace

std::vector<int> RatesInOrder(int current) {
    std::vector<int> rates;
    if (current >= 0 && current < kRateCount)
        rates.push_back(current);
    if (current != kUsualRate)
        rates.push_back(kUsualRate);
    for (int i = 0; i < kRateCount; ++i)
        if (std::find(rates.begin(), rates.end(), i) == rates.end())
            rates.push_back(i);
    return rates;
}

std::optional<Found> Search(const std::vector<int>& comNumbers, int currentRate, const Link& link) {
    const std::vector<int> rates = RatesInOrder(currentRate);
    for (int com : comNumbers) {
        for (int rate : rates) {
            int code = 0;
            std::unique_ptr<ITransport> t = link.open(com, rate, &code);
            if (!t)
                break;
            if (link.probe(*t))
                return Found{com, rate, std::move(t)};
            t->Close();
        }
    }
    return std::nullopt;
}

bool Probe(ITransport& link, int timeoutMs, int password) {
    using namespace LedgraProtocol;
    Request req;
    req.kind = FrameKind::MethodRequest;
    req.method = MethodId::GetShortECRStatus;
    req.password = password;
    QByteArray raw;
    if (link.Exchange(Encode(req), timeoutMs, raw) != 0)
        return false;
    const auto answer = DecodeAnswer(raw);
    return answer && answer->kind == FrameKind::MethodAnswer;
}

} // namespace LedgraFindDevice
