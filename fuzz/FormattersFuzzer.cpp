// The message text formatters and the printf subset behind them.

#include <optional>

#include "eventserver/EventTextFormatters.h"
#include "eventserver/TextFormat.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int which = input.ConsumeIntegralInRange(0, 3);
    const std::u16string text = ConsumeText(input);
    std::u16string out = u"unchanged";
    switch (which) {
    case 0: {
        std::optional<std::vector<uint8_t>> bytes;
        if (input.ConsumeBool()) bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(0, 8));
        const int32_t result = FormatUserAlarmText(text, bytes, out);
        Require(result != 0 ? out == u"unchanged" : out.size() <= kMaxMessageChars);
        break;
    }
    case 1: {
        std::optional<std::vector<int32_t>> values;
        if (input.ConsumeBool()) {
            values.emplace();
            for (int n = input.ConsumeIntegralInRange(0, 12); n > 0; --n)
                values->push_back(input.ConsumeIntegral<int32_t>());
        }
        const int32_t result = FormatToAlarmText(text, values, out);
        Require(result != 0 ? out == u"unchanged" : out.size() <= kMaxMessageChars);
        break;
    }
    case 2: {
        std::optional<std::vector<uint8_t>> record;
        if (input.ConsumeBool()) record = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(0, 16));
        const int32_t result = FormatDiagnosisText(text, record, out);
        Require(result != 0 ? out == u"unchanged" : out.size() <= kMaxMessageChars);
        break;
    }
    default: {
        textformat::Argument arguments[6];
        const size_t count = input.ConsumeIntegralInRange<size_t>(0, 6);
        for (size_t i = 0; i < count; ++i)
            arguments[i] = {input.ConsumeBool(), input.ConsumeIntegral<int32_t>(),
                            input.ConsumeFloatingPoint<double>()};
        const size_t limit = input.ConsumeIntegralInRange<size_t>(0, 200);
        const auto outcome = textformat::Format(text, arguments, count, limit, out);
        Require(outcome == textformat::Outcome::Ok ? out.size() <= limit : out == u"unchanged");
        break;
    }
    }
    return 0;
}
