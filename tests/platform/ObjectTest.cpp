// Run-time classes: kinds, dynamic creation and creation by name.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <memory>

namespace {

class Shape : public CObject {
    DECLARE_DYNAMIC(Shape)
};

class Circle : public Shape {
    DECLARE_DYNCREATE(Circle)
public:
    int m_radius = 7;
};

class Square : public Shape {
    DECLARE_DYNCREATE(Square)
};

IMPLEMENT_DYNAMIC(Shape, CObject)
IMPLEMENT_DYNCREATE(Circle, Shape)
IMPLEMENT_DYNCREATE(Square, Shape)

TEST(RuntimeClass, KindsFollowTheBaseChain)
{
    Circle circle;
    Square square;
    CWnd window;
    struct Case {
        const CObject* object;
        CRuntimeClass* cls;
        bool expected;
    } cases[] = {
        {&circle, RUNTIME_CLASS(Circle), true},
        {&circle, RUNTIME_CLASS(Shape), true},
        {&circle, RUNTIME_CLASS(CObject), true},
        {&circle, RUNTIME_CLASS(Square), false},
        {&square, RUNTIME_CLASS(Circle), false},
        {&window, RUNTIME_CLASS(Shape), false},
        {&window, RUNTIME_CLASS(CObject), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.object->IsKindOf(c.cls) != FALSE, c.expected)
            << c.object->GetRuntimeClass()->m_lpszClassName << " as " << c.cls->m_lpszClassName;
    }
    EXPECT_EQ(circle.GetRuntimeClass(), RUNTIME_CLASS(Circle));
    EXPECT_FALSE(RUNTIME_CLASS(Circle)->IsDerivedFrom(nullptr));
}

TEST(RuntimeClass, RecordDescribesTheClass)
{
    CRuntimeClass* cls = RUNTIME_CLASS(Circle);
    EXPECT_STREQ(cls->m_lpszClassName, "Circle");
    EXPECT_EQ(cls->m_nObjectSize, static_cast<int>(sizeof(Circle)));
    EXPECT_EQ(cls->m_pfnGetBaseClass(), RUNTIME_CLASS(Shape));
}

TEST(RuntimeClass, CreatableClassesMakeConstructedObjects)
{
    std::unique_ptr<CObject> object(RUNTIME_CLASS(Circle)->CreateObject());
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->IsKindOf(RUNTIME_CLASS(Circle)));
    EXPECT_EQ(static_cast<Circle*>(object.get())->m_radius, 7);

    // Only DECLARE_DYNCREATE classes can be made.
    EXPECT_EQ(RUNTIME_CLASS(Shape)->CreateObject(), nullptr);
}

TEST(RuntimeClass, ClassesAreFoundAndMadeByName)
{
    EXPECT_EQ(CRuntimeClass::FromName("Circle"), RUNTIME_CLASS(Circle));
    EXPECT_EQ(CRuntimeClass::FromName(L"Square"), RUNTIME_CLASS(Square));
    // Classes of the framework DLL share the one registry.
    EXPECT_EQ(CRuntimeClass::FromName(L"CWnd"), RUNTIME_CLASS(CWnd));
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));

    for (const wchar_t* missing : {L"Triangle", L"", L"circle", L"Circl\u00e9"})
        EXPECT_EQ(CRuntimeClass::FromName(missing), nullptr) << missing;
    EXPECT_EQ(CRuntimeClass::FromName(static_cast<LPCSTR>(nullptr)), nullptr);

    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject(L"Circle"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(Circle)));
    EXPECT_EQ(CRuntimeClass::CreateObject("Shape"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("Triangle"), nullptr);
}

TEST(Geometry, RectanglesBehaveAsTheirWin32Counterparts)
{
    CRect rect(10, 20, 110, 70);
    EXPECT_EQ(rect.Width(), 100);
    EXPECT_EQ(rect.Height(), 50);
    EXPECT_EQ(rect.CenterPoint(), CPoint(60, 45));
    EXPECT_EQ(rect.Size(), CSize(100, 50));
    EXPECT_TRUE(rect.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(rect.PtInRect(CPoint(110, 70)));  // right and bottom are outside

    CRect other(100, 60, 200, 200);
    EXPECT_EQ(rect & other, CRect(100, 60, 110, 70));
    EXPECT_EQ(rect | other, CRect(10, 20, 200, 200));

    CRect inverted(50, 40, 10, 5);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, CRect(10, 5, 50, 40));

    rect.DeflateRect(5, 10);
    EXPECT_EQ(rect, CRect(15, 30, 105, 60));
    rect.OffsetRect(CPoint(-15, -30));
    EXPECT_EQ(rect.TopLeft(), CPoint(0, 0));
    EXPECT_EQ(rect.BottomRight(), CPoint(90, 30));
    EXPECT_EQ(CPoint(5, 7) - CPoint(2, 3), CSize(3, 4));
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
}

}  // namespace
