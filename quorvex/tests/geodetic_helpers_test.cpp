// Geodetic helpers: guarded power, m and t, the authalic q and the
// iterations that invert t, q and the meridian distance.
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Runs the helpers on a scratch block with the given eccentricity.
class Helpers : public ::testing::Test {
protected:
    void use_eccentricity(double e)
    {
        block_ = quorvex::PROJ{};
        block_.e = e;
        block_.A_es = e * e;
        quorvex::Pj = &block_;
    }
    quorvex::PROJ block_{};
};

TEST_F(Helpers, PowerGuardsBasesThatAreNotPositive)
{
    EXPECT_EQ(quorvex::_Power(0.0, 2.0), 0.0);
    EXPECT_EQ(quorvex::_Power(-8.0, 1.0 / 3.0), 0.0);
    EXPECT_EQ(quorvex::_Power(std::nan(""), 1.0), 0.0);
    for (double x : {1e-300, 0.5, 1.0, 7.0, 1e300})
        EXPECT_EQ(quorvex::_Power(x, 0.0), 1.0) << x;
    EXPECT_NEAR(quorvex::_Power(2.0, 10.0), 1024.0, 1e-10);
}

TEST_F(Helpers, MAndTOnTheSphereAreTheirSphericalForms)
{
    use_eccentricity(0.0);
    for (double phi : {-1.4, -0.3, 0.0, 0.7, 1.5}) {
        EXPECT_DOUBLE_EQ(quorvex::_MFunction(phi, std::sin(phi)), std::cos(phi)) << phi;
        EXPECT_DOUBLE_EQ(quorvex::_TFunction(phi, std::sin(phi)),
                         std::tan(0.7853981633974483 - phi / 2)) << phi;
    }
}

TEST_F(Helpers, MAndTOnTheEllipsoidFollowTheirDefinitions)
{
    const double e = 0.0818191908426;
    use_eccentricity(e);
    const double phi = 0.8, s = std::sin(phi);
    EXPECT_NEAR(quorvex::_MFunction(phi, s), std::cos(phi) / std::sqrt(1 - e * e * s * s), 1e-15);
    EXPECT_NEAR(quorvex::_TFunction(phi, s),
                std::tan(M_PI / 4 - phi / 2) / std::pow((1 - e * s) / (1 + e * s), e / 2), 1e-15);
}

TEST_F(Helpers, Phi2InvertsTAndLeavesTheStatusOnSuccess)
{
    use_eccentricity(0.0);
    int16_t err = 42;
    EXPECT_EQ(quorvex::_pj_phi2(1.0, &err), 0.0);
    EXPECT_EQ(err, 42);

    use_eccentricity(0.0818191908426);
    for (double phi : {-1.2, -0.1, 0.4, 1.3}) {
        err = 100;
        const double ts = quorvex::_TFunction(phi, std::sin(phi));
        EXPECT_NEAR(quorvex::_pj_phi2(ts, &err), phi, 1e-10) << phi;
        EXPECT_EQ(err, 100);
    }
    err = 100;
    quorvex::_pj_phi2(std::nan(""), &err);
    EXPECT_EQ(err, -3);
}

TEST_F(Helpers, QsfnzTakesTheSphericalBranchAtTheThreshold)
{
    use_eccentricity(1e-7);
    EXPECT_EQ(quorvex::_qsfnz(0.3), 0.6);
    use_eccentricity(0.0818191908426);
    const double e = 0.0818191908426, s = 0.3;
    EXPECT_NEAR(quorvex::_qsfnz(s),
                (1 - e * e) * (s / (1 - e * e * s * s) -
                               1 / (2 * e) * std::log((1 - e * s) / (1 + e * s))),
                1e-15);
}

TEST_F(Helpers, Phi1zInvertsQ)
{
    use_eccentricity(1e-12);
    int16_t err = 0;
    EXPECT_EQ(quorvex::phi1z(2.0, &err), 1.5707963267948966);
    EXPECT_EQ(err, 100);
    EXPECT_EQ(quorvex::phi1z(3.0, &err), 1.5707963267948966);

    use_eccentricity(0.0818191908426);
    for (double phi : {-1.3, -0.5, 0.0, 0.6, 1.4}) {
        err = 0;
        const double q = quorvex::_qsfnz(std::sin(phi));
        EXPECT_NEAR(quorvex::phi1z(q, &err), phi, 1e-9) << phi;
        EXPECT_EQ(err, 100);
    }
    err = 0;
    EXPECT_EQ(quorvex::phi1z(std::nan(""), &err), 0.0);
    EXPECT_EQ(err, -3);
}

TEST_F(Helpers, AsinzClamps)
{
    EXPECT_EQ(quorvex::_asinz(1.5), 1.5707963267948966);
    EXPECT_EQ(quorvex::_asinz(-3.0), -1.5707963267948966);
    EXPECT_EQ(quorvex::_asinz(0.5), std::asin(0.5));
}

TEST(MeridianDistance, InverseUndoesTheSeries)
{
    // The usual meridian-distance coefficients for e^2 (Snyder 3-21 in
    // the nested form the series expects).
    const double es = 0.00669437999014;
    const double t = es * es;
    double en[5];
    en[0] = 1 - es * (0.25 + es * (0.046875 + es * (0.01953125 + es * 0.01068115234375)));
    en[1] = es * (0.75 - es * (0.046875 + es * (0.01953125 + es * 0.01068115234375)));
    en[2] = t * (0.46875 - es * (0.013020833333333334 + es * 0.007120768229166667));
    en[3] = t * es * (0.36458333333333331 - es * 0.005696614583333333);
    en[4] = t * t * 0.3076171875;
    for (double phi : {-1.5, -0.7, 0.0, 0.2, 1.1, 1.55}) {
        const double m = quorvex::_pj_mlfn(phi, std::sin(phi), std::cos(phi), en);
        EXPECT_NEAR(quorvex::_pj_inv_mlfn(m, es, en), phi, 1e-11) << phi;
    }
    // The distance to the pole is a quarter meridian, 10001.966 km on WGS84.
    const double quarter = quorvex::_pj_mlfn(M_PI / 2, 1.0, 0.0, en) * 6378137.0;
    EXPECT_NEAR(quarter, 10001965.729, 1e-2);
}

} // namespace
