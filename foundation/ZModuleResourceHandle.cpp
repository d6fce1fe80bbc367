#include "foundation/ZModuleResourceHandle.h"

#include <afxwin.h>

ZModuleResourceHandle::ZModuleResourceHandle(HINSTANCE module)
    : m_previousResource(AfxGetModuleState()->m_hCurrentResourceHandle)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = module;
}

ZModuleResourceHandle::~ZModuleResourceHandle()
{
    AfxGetModuleState()->m_hCurrentResourceHandle = m_previousResource;
}

ZModuleResourceHandle& ZModuleResourceHandle::operator=(const ZModuleResourceHandle& other)
{
    m_previousResource = other.m_previousResource;
    return *this;
}
