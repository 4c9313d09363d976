#include "RenderRequest.h"

#include "PixelMath.h"

int RenderReference(const RenderRequest& request)
{
    Picture& target = *request.target;
    const int width = RenderColumns(target);
    const int height = RenderRows(target);
    const CEvaluator& evaluator = *request.evaluator;
    const ViewTransform view(request.view);

    for (int c = 0; c < width; ++c) {
        for (int r = 0; r < height; ++r) {
            const InputColour input = SourceInputColour(request.source, c, r);
            uint32_t red, green, blue;
            if (request.antiAlias) {
                int32_t t[3][4];
                for (int s = 0; s < 4; ++s) {
                    double x, y;
                    view.Map(SampleCoordinate(c, kAntiAliasSamples[s].dx, width),
                             SampleCoordinate(r, kAntiAliasSamples[s].dy, height), x, y);
                    double vr = input.red, vg = input.green, vb = input.blue;
                    if (!evaluator.Evaluate(request.root, x, y, vr, vg, vb))
                        return 0;
                    t[0][s] = ChannelToInt(vr);
                    t[1][s] = ChannelToInt(vg);
                    t[2][s] = ChannelToInt(vb);
                }
                red = AntiAliasByte(t[0][0], t[0][1], t[0][2], t[0][3]);
                green = AntiAliasByte(t[1][0], t[1][1], t[1][2], t[1][3]);
                blue = AntiAliasByte(t[2][0], t[2][1], t[2][2], t[2][3]);
            } else {
                double x, y;
                view.Map(SampleCoordinate(c, kPlainSample.dx, width), SampleCoordinate(r, kPlainSample.dy, height),
                         x, y);
                double vr = input.red, vg = input.green, vb = input.blue;
                if (!evaluator.Evaluate(request.root, x, y, vr, vg, vb))
                    return 0;
                red = ChannelByte(ChannelToInt(vr));
                green = ChannelByte(ChannelToInt(vg));
                blue = ChannelByte(ChannelToInt(vb));
            }
            target.StorePixelShared(c, r, PackPixel(red, green, blue));
            if (request.abort && request.abort->load(std::memory_order_relaxed))
                return 0;
        }
        if (request.columnsDone)
            request.columnsDone(c + 1);
    }
    return request.abort && request.abort->load(std::memory_order_relaxed) ? 0 : 1;
}
