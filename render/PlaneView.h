#pragma once
// Which part of the plane a picture shows. The picture's own grid always
// spans [-1, 1] on both axes (SampleCoordinate); the view maps a grid point
// (u, v) to the plane point x = centre + scale x R(angle) (u, v) at which the
// tree is evaluated. The default view is the identity and leaves every
// coordinate exactly as it was, so a still keeps its pixels.

#include <cmath>

struct PlaneView {
    double centreX = 0.0;
    double centreY = 0.0;
    double scale = 1.0;  // plane units per grid unit: below 1 zooms in
    double angle = 0.0;  // degrees; with y downward a positive angle turns the picture clockwise

    bool IsDefault() const { return centreX == 0.0 && centreY == 0.0 && scale == 1.0 && angle == 0.0; }
};

// A view ready for use: its sine and cosine are computed once, by this one
// function, so that every renderer maps every sample to the same bits.
class ViewTransform {
public:
    explicit ViewTransform(const PlaneView& view)
        : m_view(view), m_identity(view.IsDefault()), m_turned(view.angle != 0.0)
    {
        const double radians = view.angle * (3.14159265358979323846 / 180.0);
        m_cos = m_turned ? std::cos(radians) : 1.0;
        m_sin = m_turned ? std::sin(radians) : 0.0;
    }

    // Without a turn x depends on u alone and y on v alone.
    bool Turned() const { return m_turned; }
    double X(double u) const { return m_identity ? u : m_view.centreX + m_view.scale * u; }
    double Y(double v) const { return m_identity ? v : m_view.centreY + m_view.scale * v; }
    void Map(double u, double v, double& x, double& y) const
    {
        if (!m_turned) {
            x = X(u);
            y = Y(v);
            return;
        }
        x = m_view.centreX + m_view.scale * (m_cos * u - m_sin * v);
        y = m_view.centreY + m_view.scale * (m_sin * u + m_cos * v);
    }

private:
    PlaneView m_view;
    bool m_identity;
    bool m_turned;
    double m_cos = 1.0, m_sin = 0.0;
};
