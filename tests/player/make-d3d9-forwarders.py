#!/usr/bin/env python3
# Writes D3D9Forwarders.h from the method lists of mingw-w64's d3d9.h:
#   python3 make-d3d9-forwarders.py > D3D9Forwarders.h && clang-format -i D3D9Forwarders.h
import re,sys
src=open('/usr/share/mingw-w64/include/d3d9.h').read()
def methods(iface):
    start=src.index('DECLARE_INTERFACE_(%s,'%iface)
    body=src[start:src.index('};',start)]
    out=[]
    for m in re.finditer(r'STDMETHOD(_\(([^,]+),\s*(\w+)\)|\((\w+)\))\((THIS_?)\s*([^)]*)\)\s*PURE;',body):
        if m.group(2): ret,name=m.group(2).strip(),m.group(3)
        else: ret,name='HRESULT',m.group(4)
        params=m.group(6).strip() if m.group(5)=='THIS_' else ''
        names=[]; fixed=[]
        if params:
            for i,p in enumerate(params.split(',')):
                p=p.strip()
                f=re.findall(r"(\w+)\s*(\[\d*\])?$",p)
                if not f or p.endswith('*') or len(p.split())==1:
                    p=p+' a%d'%i; f=[('a%d'%i,'')]
                fixed.append(p)
                n=f[0][0]
                names.append(n)
        out.append((ret,name,', '.join(fixed),names))
    return out
def cls(iface,clsname):
    lines=['class %s : public %s {'%(clsname,iface),'public:',
           '    explicit %s(%s* inner) : m_Inner(inner) {}'%(clsname,iface),
           '    virtual ~%s() = default;'%clsname,
           '    %s* Inner() const { return m_Inner.Get(); }'%iface]
    for ret,name,params,names in methods(iface):
        if name in ('QueryInterface','AddRef','Release'): continue
        lines.append('    STDMETHOD_(%s, %s)(%s) override { return m_Inner->%s(%s); }'%(ret,name,params,name,', '.join(names)))
    lines += ['','protected:','    Microsoft::WRL::ComPtr<%s> m_Inner;'%iface,'};','']
    return '\n'.join(lines)
print('''#pragma once
// Direct3D 9 objects that pass every call on to a real one; test doubles derive from these and
// change only the calls they care about. Made by make-d3d9-forwarders.py from d3d9.h.
// Reference counting is left to the derived class.
#include <windows.h>
#include <d3d9.h>
#include <wrl/client.h>
''')
print(cls('IDirect3DDevice9','ForwardingDevice9'))
print(cls('IDirect3D9','ForwardingDirect3D9'))
