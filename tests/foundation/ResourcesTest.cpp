// The library's place in the framework's resource chain, and the scope that points lookup at a module.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string_view>

#include "foundation/TessaroInit.h"
#include "foundation/ZModuleResourceHandle.h"

namespace {

HINSTANCE Current() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

HINSTANCE Exe() { return ::GetModuleHandleW(nullptr); }

TEST(Resources, TheLibraryJoinedTheChainWhenLoaded)
{
    ASSERT_NE(GetTessaroDll(), nullptr);
    int found = 0;
    for (CDynLinkLibrary* dll = AfxGetModuleState()->m_pFirstLibrary; dll; dll = dll->m_pNextDLL) {
        if (dll->m_hModule == GetTessaroDll()) {
            ++found;
            EXPECT_EQ(dll->m_hResource, GetTessaroDll());
            EXPECT_FALSE(dll->m_bSystem);
        }
    }
    EXPECT_EQ(found, 1);
    // So its message table is found while the application is the resource module.
    EXPECT_EQ(Current(), Exe());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(1), RT_MESSAGETABLE), GetTessaroDll());
}

TEST(Resources, ScopeMakesTheLibraryTheFirstModuleSearched)
{
    // Both this program and the library carry a version resource.
    const auto version = MAKEINTRESOURCEW(VS_VERSION_INFO);
    EXPECT_EQ(AfxFindResourceHandle(version, RT_VERSION), Exe());
    {
        ZModuleResourceHandle scope(GetTessaroDll());
        EXPECT_EQ(Current(), GetTessaroDll());
        HINSTANCE holder = AfxFindResourceHandle(version, RT_VERSION);
        ASSERT_EQ(holder, GetTessaroDll());

        // And it is the library's own record that is found there.
        HRSRC resource = ::FindResourceW(holder, version, RT_VERSION);
        ASSERT_NE(resource, nullptr);
        const auto* data = static_cast<const wchar_t*>(::LockResource(::LoadResource(holder, resource)));
        ASSERT_NE(data, nullptr);
        const std::wstring_view block(data, ::SizeofResource(holder, resource) / sizeof(wchar_t));
        EXPECT_NE(block.find(L"Tessaro87U.dll"), std::wstring_view::npos);
    }
    EXPECT_EQ(Current(), Exe());
    EXPECT_EQ(AfxFindResourceHandle(version, RT_VERSION), Exe());
}

TEST(Resources, NestedScopesRestoreInReverseOrder)
{
    const HINSTANCE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const HINSTANCE start = Current();
    {
        ZModuleResourceHandle outer(GetTessaroDll());
        {
            ZModuleResourceHandle middle(kernel);
            {
                ZModuleResourceHandle inner(GetTessaroDll());
                EXPECT_EQ(Current(), GetTessaroDll());
            }
            EXPECT_EQ(Current(), kernel);
        }
        EXPECT_EQ(Current(), GetTessaroDll());
    }
    EXPECT_EQ(Current(), start);
}

TEST(Resources, AssignmentTakesOverTheSavedHandle)
{
    const HINSTANCE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const HINSTANCE start = Current();
    {
        ZModuleResourceHandle first(GetTessaroDll());  // saved: start
        {
            ZModuleResourceHandle second(kernel);      // saved: the library
            first = second;
        }
        EXPECT_EQ(Current(), GetTessaroDll());
    }
    // The first scope now restores what the second had saved.
    EXPECT_EQ(Current(), GetTessaroDll());
    AfxSetResourceHandle(start);
}

}  // namespace
