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
    EXPECT_FALSE(RUNTIME_CLASS(Circle)->IsDerivedFrom(nullptr));
    EXPECT_EQ(RUNTIME_CLASS(Circle)->m_nObjectSize, static_cast<int>(sizeof(Circle)));
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

    // Made objects are constructed; only DECLARE_DYNCREATE classes can be made.
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject(L"Circle"));
    ASSERT_NE(made, nullptr);
    ASSERT_TRUE(made->IsKindOf(RUNTIME_CLASS(Circle)));
    EXPECT_EQ(static_cast<Circle*>(made.get())->m_radius, 7);
    EXPECT_EQ(CRuntimeClass::CreateObject("Shape"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("Triangle"), nullptr);
}

// The members with arithmetic of their own; the rest call the platform.
TEST(Geometry, RectanglesAndPoints)
{
    const CRect rect(10, 20, 110, 70);
    EXPECT_EQ(rect.Size(), CSize(100, 50));
    EXPECT_EQ(rect.TopLeft(), CPoint(10, 20));
    CRect inverted(50, 40, 10, 5);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, CRect(10, 5, 50, 40));
    EXPECT_EQ(CPoint(5, 7) - CPoint(2, 3), CSize(3, 4));
}

}  // namespace
