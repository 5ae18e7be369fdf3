#include "fieldmap.h"

#include <algorithm>

namespace records {

using K = FieldKind;

const QVector<VehicleField> &vehicleFields()
{
    static const QVector<VehicleField> fields {
        { "MOTORNO", K::KeyText, 16, 0, 1 },
        { "ESKIPLAKA", K::Plate, 3, 0, 4 },
        { "SASENO", K::TrimmedText, 17, 0, 2 },
        { "YENIPLAKA", K::Plate, 0, 0, 3 },
        { "ISLEMTURU", K::CheckList, 0, 10, 60 },
        { "KULLANIMAMACI", K::OptionIndex, 11, 14, 57 },
        { "BELGEDUZENLEYEN", K::Text, 6, 0, 5 },
        { "BELGETURU", K::Text, 7, 0, 6 },
        { "BELGETARIHI", K::Date, 0, 0, 8 },
        { "BELGENO", K::Text, 8, 0, 7 },
        { "TRAFIKBELGETARIHI", K::Date, 1, 0, 9 },
        { "TRAFIKBELGENO", K::Text, 9, 0, 10 },
        { "VERGIDAIRESI", K::Text, 30, 0, 11 },
        { "SIGORTAADI", K::Text, 31, 0, 12 },
        { "SIGORTAIL", K::Text, 32, 0, 13 },
        { "SIGORTATARIHI", K::Date, 2, 0, 14 },
        { "SIGORTAAYSURE", K::Period, 33, 0, 15 },
        { "SIGORTAGUNSURE", K::Period, 34, 0, 16 },
        { "SIGORTAPOLICENO", K::Text, 35, 0, 17 },
        { "MARKA", K::ComboText, 0, 0, 18 },
        { "MODEL", K::ComboText, 1, 0, 19 },
        { "MODELTICARIADI", K::Text, 10, 0, 20 },
        { "MODELYILI", K::Text, 11, 0, 21 },
        { "MODELSINIFI", K::Text, 12, 0, 22 },
        { "MODELCINSI", K::Text, 13, 0, 23 },
        { "MODELRENK1", K::Text, 14, 0, 24 },
        { "MODELRENK2", K::Text, 15, 0, 25 },
        { "NETAGR", K::Number, 18, 0, 26 },
        { "YUKLUAGR", K::Number, 19, 0, 27 },
        { "KATARAGR", K::Number, 20, 0, 28 },
        { "YUKLUROMORKAGR", K::Number, 21, 0, 29 },
        { "KAPASITE", K::Number, 22, 0, 30 },
        { "AYAKTAKAPASITE", K::Number, 23, 0, 31 },
        { "SILINDIRHACMI", K::Number, 24, 0, 32 },
        { "MOTORGUCU", K::Number, 25, 0, 33 },
        { "GUCORANI", K::Number, 26, 0, 34 },
        { "TIPONAY2", K::Text, 27, 0, 35 },
        { "YAKITCINSI", K::OptionIndex, 15, 19, 58 },
        { "KULLANIMSEKLI", K::OptionIndex, 20, 26, 59 },
        { "DINGILSAYISI", K::Number, 28, 0, 36 },
        { "TEKERSAYISI", K::Number, 29, 0, 37 },
        { "TAKOGRAF", K::ListIndex, 2, 0, 38 },
        { "HAKLAR", K::Text, 36, 0, 39 },
        { "IZINLER", K::Text, 37, 0, 40 },
        { "SEFERGOREVEMRI", K::Text, 38, 0, 41 },
        { "DEGISIKLIKLER", K::Text, 39, 0, 42 },
        { "YENILEMENEDENI", K::Text, 121, 0, 43 },
        { "HURDANEDENI", K::Text, 122, 0, 44 },
        { "YAKITDIGER", K::Text, 123, 0, 45 },
        { "OTV_VergiDairesi", K::Text, 128, 0, 46 },
        { "OTV_MakbuzNo", K::Text, 130, 0, 47 },
        { "OTV_Tarihi", K::DateText, 6, 0, 48 },
    };
    return fields;
}

const QVector<VehicleField> &vehicleFieldsInLoadOrder()
{
    static const QVector<VehicleField> fields = [] {
        QVector<VehicleField> f = vehicleFields();
        std::stable_sort(f.begin(), f.end(),
            [](const VehicleField &a, const VehicleField &b) { return a.loadOrder < b.loadOrder; });
        return f;
    }();
    return fields;
}

const QVector<OwnerField> &ownerFields()
{
    using O = OwnerKind;
    using P = OwnerPair;
    static const QVector<OwnerField> fields {
        { "KIMLIKNO", O::Key, 0, P::None, nullptr, nullptr },
        { "AD", O::Text, 1, P::None, nullptr, nullptr },
        { "SOYAD", O::Text, 2, P::None, nullptr, nullptr },
        { "BABA", O::Text, 3, P::None, nullptr, nullptr },
        { "ANNE", O::Text, 4, P::None, nullptr, nullptr },
        { "DOGUMYERI", O::Text, 5, P::None, nullptr, nullptr },
        { "NUFUSIL", O::Text, 6, P::None, nullptr, nullptr },
        { "NUFUSILCE", O::Text, 7, P::None, nullptr, nullptr },
        { "NUFUSMAHALLE", O::Text, 8, P::None, nullptr, nullptr },
        { "NUFUSHARF", O::Text, 9, P::None, nullptr, nullptr },
        { "NUFUSSERINO", O::Text, 10, P::None, nullptr, nullptr },
        { "NUFUSCILTNO", O::Text, 11, P::None, nullptr, nullptr },
        { "NUFUSAILESIRANO", O::Text, 12, P::None, nullptr, nullptr },
        { "NUFUSSIRANO", O::Text, 13, P::None, nullptr, nullptr },
        { "IL", O::Text, 14, P::None, nullptr, nullptr },
        { "ILCE", O::Text, 15, P::None, nullptr, nullptr },
        { "SEMT", O::Text, 16, P::None, nullptr, nullptr },
        { "MAHALLE", O::Text, 17, P::None, nullptr, nullptr },
        { "CADDE", O::Text, 18, P::None, nullptr, nullptr },
        { "SOKAK", O::Text, 19, P::None, nullptr, nullptr },
        { "APARTMAN", O::Text, 20, P::None, nullptr, nullptr },
        { "NUMARA", O::Text, 21, P::None, nullptr, nullptr },
        { "DAIRE", O::Text, 22, P::None, nullptr, nullptr },
        { "DOGUMTARIHI", O::Date, 0, P::None, nullptr, nullptr },
        { "KANGRUBU", O::ListText, 3, P::None, nullptr, nullptr },
        { "TABIYET", O::ListText, 4, P::None, nullptr, nullptr },
        { "TELEFONIS", O::Phone, 23, P::None, nullptr, nullptr },
        { "TELEFONCEP", O::Mobile, 25, P::None, nullptr, nullptr },
        { "SAHIPTIPI", O::Letter, 0, P::OptA, "S", "T" },
        { "CINSIYET", O::Letter, 0, P::OptC, "K", "E" },
        { "ADRESTIPI", O::Letter, 0, P::OptAdres, "İ", "E" },
    };
    return fields;
}

} // namespace records
