#include "foundation/ZModuleResourceHandle.h"

#include <afxwin.h>

ZModuleResourceHandle::ZModuleResourceHandle(HINSTANCE module)
    : m_hPreviousResource(AfxGetModuleState()->m_hCurrentResourceHandle)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = module;
}

ZModuleResourceHandle::~ZModuleResourceHandle()
{
    AfxGetModuleState()->m_hCurrentResourceHandle = m_hPreviousResource;
}

ZModuleResourceHandle& ZModuleResourceHandle::operator=(const ZModuleResourceHandle& other)
{
    m_hPreviousResource = other.m_hPreviousResource;
    return *this;
}
