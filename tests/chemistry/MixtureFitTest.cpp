#include "chemistry/MixtureFit.h"
#include "chemistry/ModelChoice.h"
#include "chemistry/TitrationFit.h"

#include "ChargeBalanceOracle.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace MixtureTitration;
using MixtureFit::Parameter;
using Kind = MixtureFit::Parameter::Kind;
namespace Oracle = ChargeBalanceOracle;

const std::vector<AcidBaseCouple> kCouples = AcidBaseCouples::Common();

AcidBaseCouple Named(const char* name, std::vector<double> pKa = {})
{
    AcidBaseCouple c = *AcidBaseCouples::Find(kCouples, QString::fromUtf8(name));
    if (!pKa.empty())
        c.pKa = pKa;
    return c;
}

MixtureFit::Model Model(std::vector<Component> beaker, Reagent reagent)
{
    MixtureFit::Model m;
    m.titration = Make(std::move(beaker), 10.0, reagent, 0.1);
    return m;
}

// A start as a student types it: concentrations 20 % off, pKa a few tenths off.
struct RecoveryCase {
    const char* name;
    Oracle::Beaker truth;
    MixtureFit::Model start;
    std::vector<Parameter> adjusted;
    std::vector<double> expected;  // per adjusted parameter, mol/L or pKa
};

TEST(MixtureFit, RecoversConcentrationsAndPKaFromCurvesComputedApart)
{
    const Parameter c0{Kind::Concentration, 0, 0}, c1{Kind::Concentration, 1, 0};
    const Parameter pKa1{Kind::PKa, 0, 0}, pKa2{Kind::PKa, 0, 1}, otherPKa{Kind::PKa, 1, 0};
    const RecoveryCase cases[] = {
        {"phosphoric acid", Oracle::PhosphoricAcid(),
         Model({Acid(Named("acide phosphorique", {2.5, 7.6, 12.35}), 0.08)}, Reagent::StrongBase),
         {c0, pKa1, pKa2}, {0.1, 2.15, 7.20}},
        {"sodium carbonate", Oracle::SodiumCarbonate(),
         Model({Base(Named("ion carbonate", {6.0, 10.6}), 0.12)}, Reagent::StrongAcid), {c0, pKa1, pKa2},
         {0.1, 6.35, 10.33}},
        {"hydrochloric and ethanoic acids", Oracle::HydrochloricAndEthanoic(),
         Model({Acid(AcidBaseCouples::StrongAcid(), 0.06), Acid(Named("acide éthanoïque", {4.4}), 0.13)},
               Reagent::StrongBase),
         {c0, c1, otherPKa}, {0.1, 0.1, 4.76}},
    };
    for (const RecoveryCase& c : cases) {
        for (const double noise : {0.0, 0.02}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", noise " << noise);
            const MixtureFit::Outcome outcome
                = MixtureFit::Fit(c.start, c.adjusted, Oracle::Readings(c.truth, 0.25, 30.0, noise, 7));
            ASSERT_TRUE(outcome.result.has_value()) << outcome.refusal.toStdString();
            const MixtureFit::Result& r = *outcome.result;
            ASSERT_EQ(r.estimates.size(), c.adjusted.size());
            ASSERT_EQ(r.covariance.size(), c.adjusted.size());
            for (std::size_t j = 0; j < c.adjusted.size(); ++j) {
                const MixtureFit::Estimate& e = r.estimates[j];
                EXPECT_EQ(e.parameter, c.adjusted[j]);
                if (e.parameter.kind == Kind::Concentration) {
                    EXPECT_NEAR(e.value / c.expected[j], 1.0, 0.01);
                } else {
                    EXPECT_NEAR(e.value, c.expected[j], 0.1);
                }
                EXPECT_GT(e.uncertainty, 0.0);
                EXPECT_NEAR(r.covariance[j][j], e.uncertainty * e.uncertainty, 1e-9 * r.covariance[j][j]);
                // Readings even within +-0,02 scatter by 0,012: the truth lies within a few
                // standard uncertainties.
                if (noise > 0) {
                    EXPECT_LT(std::abs(e.value - c.expected[j]), 5.0 * e.uncertainty);
                }
            }
            EXPECT_LT(r.residualSdPH, noise + 0.002);
        }
    }
}

TEST(MixtureFit, RefusesWithItsReasonInFrench)
{
    const MixtureFit::Model phosphoric = Model({Acid(Named("acide phosphorique"), 0.1)}, Reagent::StrongBase);
    const QList<QPointF> rising = Oracle::Readings(Oracle::PhosphoricAcid(), 0.25, 30, 0.0, 1);
    QList<QPointF> flat;
    for (int i = 0; i <= 60; ++i)
        flat.append(QPointF(i * 0.5, 7.0 + 0.3 * std::sin(i)));
    MixtureFit::Model badStart = phosphoric;
    badStart.titration.beaker.front().couple.pKa = {7.2, 2.15, 12.35};
    const struct {
        MixtureFit::Model start;
        std::vector<Parameter> adjusted;
        QList<QPointF> points;
        const char* refusal;
    } cases[] = {
        {phosphoric, {}, rising, "Aucun paramètre à ajuster"},
        {phosphoric, {{Kind::PKa, 0, 3}}, rising, "Un paramètre coché n'existe pas"},
        {phosphoric, {{Kind::Concentration, 1, 0}}, rising, "Un paramètre coché n'existe pas"},
        {badStart, {{Kind::Concentration, 0, 0}}, rising, "Les valeurs de départ du modèle sont incorrectes : les pKa de chaque espèce"},
        {Model({Base(Named("ion carbonate"), 0.1)}, Reagent::StrongAcid), {{Kind::Concentration, 0, 0}}, rising,
         "Le modèle choisi fait descendre le pH, la courbe mesurée monte"},
        {phosphoric, {{Kind::Concentration, 0, 0}}, flat, "La courbe mesurée varie de moins de 1 pH"},
        {phosphoric, {{Kind::Concentration, 0, 0}}, rising.mid(0, 4), "Trop peu de points"},
        {Model({Acid(Named("acide phosphorique"), 0.1)}, Reagent::StrongAcid), {{Kind::Concentration, 0, 0}}, rising,
         "Ce modèle n'a pas d'équivalence"},
    };
    for (const auto& c : cases) {
        const MixtureFit::Outcome outcome = MixtureFit::Fit(c.start, c.adjusted, c.points);
        EXPECT_FALSE(outcome.result.has_value()) << c.refusal;
        EXPECT_TRUE(outcome.refusal.startsWith(QString::fromUtf8(c.refusal))) << outcome.refusal.toStdString();
    }
}

TEST(MixtureFit, OneAcidityReadsAsTheSingleModelsTexts)
{
    // The same fitted values through both: a one-species, one-acidity model says the same.
    TitrationFit::Result single;
    single.model.titration.species = TitrationChemistry::Species::WeakBase;
    single.model.titration.reagent = Reagent::StrongAcid;
    single.model.titration.pKa = 9.2712;
    single.beakerMolPerL = TitrationFit::Estimate{0.0099996, 0.00041};
    single.pKa = TitrationFit::Estimate{9.2712, 0.0213};
    single.pHOffset = TitrationFit::Estimate{-0.001, 0.012};
    single.residualSdPH = 0.0298;
    single.equivalenceMl = 20.042;
    MixtureFit::Result general;
    general.model.titration = FromSingle(single.model.titration);
    general.estimates = {{{Kind::Concentration, 0, 0}, 0.0099996, 0.00041},
                         {{Kind::PKa, 0, 0}, 9.2712, 0.0213},
                         {{Kind::PHOffset, 0, 0}, -0.001, 0.012}};
    general.residualSdPH = 0.0298;
    general.equivalenceMl = {20.042};
    EXPECT_EQ(MixtureFit::ResultText(general), TitrationFit::ResultText(single));
    EXPECT_EQ(MixtureFit::ClipboardLines(general), TitrationFit::ClipboardLines(single));
}

TEST(MixtureFit, SeveralAciditiesAndSpeciesNameEachParameter)
{
    MixtureFit::Result r;
    r.model = Model({Acid(Named("acide phosphorique"), 0.1)}, Reagent::StrongBase);
    r.estimates = {{{Kind::Concentration, 0, 0}, 0.100012, 0.000031},
                   {{Kind::PKa, 0, 0}, 2.1487, 0.0123},
                   {{Kind::PKa, 0, 1}, 7.2013, 0.0041}};
    r.residualSdPH = 0.0118;
    r.equivalenceMl = {10.0012, 20.0024, 30.0036};
    EXPECT_EQ(MixtureFit::ResultText(r), QStringLiteral("Modèle : Ca = (0,100012 ± 0,000031) mol/L ; pKa1 = 2,15 ± 0,01 ; "
                                                        "pKa2 = 7,201 ± 0,004 ; écart-type 0,01 pH ; Ve1 = 10,00 mL ; "
                                                        "Ve2 = 20,00 mL ; Ve3 = 30,00 mL"));
    r.model = Model({Acid(AcidBaseCouples::StrongAcid(), 0.1), Base(Named("ion carbonate"), 0.05)}, Reagent::StrongBase);
    r.estimates = {{{Kind::Concentration, 1, 0}, 0.05, 0.001}, {{Kind::PKa, 1, 1}, 10.331, 0.012}};
    r.equivalenceMl = {10.0};
    EXPECT_EQ(MixtureFit::ResultText(r),
              QStringLiteral("Modèle : C(CO3 2−) = (5,0 ± 0,1) × 10⁻² mol/L ; pKa(HCO3−/CO3 2−) = 10,33 ± 0,01 ; "
                             "écart-type 0,01 pH ; Ve = 10,00 mL"));
    // The clipboard leaves the program in a code page without U+2212.
    EXPECT_EQ(MixtureFit::ClipboardLines(r), QStringLiteral("Modèle\tmélange acide fort + ion carbonate titré par une base forte\r"
                                                            "C(CO3 2-) du modèle en mol/L\t0,050\r"
                                                            "Incertitude-type sur C(CO3 2-) en mol/L\t0,001\r"
                                                            "pKa(HCO3-/CO3 2-) du modèle\t10,33\r"
                                                            "Incertitude-type sur le pKa(HCO3-/CO3 2-)\t0,01\r"
                                                            "Écart-type des résidus en pH\t0,01\r"
                                                            "Volume à l'équivalence du modèle en mL\t10,00\r"));
}

TEST(ModelChoice, OpensOnTheSimpleModelThatDescribesTheCurve)
{
    using ModelChoice::Kind;
    const struct {
        const char* name;
        Oracle::Beaker truth;
        Kind kind;
    } cases[] = {
        {"hydrochloric acid", {0, 0.1, {}, 10, true, 0.1}, Kind::StrongAcid},
        {"ethanoic acid", {0, 0, {{0.1, {4.76}, 0}}, 10, true, 0.1}, Kind::WeakAcid},
        {"soda", {0.1, 0, {}, 10, false, 0.1}, Kind::StrongBase},
        {"ammonia", {0, 0, {{0.1, {9.25}, 1}}, 10, false, 0.1}, Kind::WeakBase},
        {"sodium carbonate", Oracle::SodiumCarbonate(), Kind::Dibase},
        {"phosphoric acid", Oracle::PhosphoricAcid(), Kind::Triacid},
        {"citric acid, one jump for three steps", {0, 0, {{0.05, {3.13, 4.76, 6.40}, 0}}, 10, true, 0.1}, Kind::Triacid},
        {"hydrochloric and ethanoic acids", {0, 0.05, {{0.1, {4.76}, 0}}, 10, true, 0.1}, Kind::StrongAndWeakAcids},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto choice = ModelChoice::Best(Oracle::Readings(c.truth, 0.5, 30.0, 0.02, 3), 10.0, 0.1);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(static_cast<int>(choice->kind), static_cast<int>(c.kind));
        EXPECT_LT(choice->residualSdPH, 0.03);
    }
    EXPECT_FALSE(ModelChoice::Best({{0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}}, 10.0, 0.1).has_value());
}

}  // namespace
