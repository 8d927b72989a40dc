#!/usr/bin/env python3
# Works out the rows of highlight_bits.h without the code under test: every
# operation of the highlight is rounded to single precision after it is done
# in double precision (exact for +, -, *, / and sqrt; the power is rounded
# from the double result). Rows keep the highlight inside the band (0 < k < 1),
# most of them where a regrouped product gives other bits, plus one light
# behind the surface, one viewer behind it with the light in front (cos H
# below 0: black, not NaN) and one half vector on the normal.
# Usage: python3 tests/support/highlight_bits.py
import struct, math, itertools
def f(x): return struct.unpack('f', struct.pack('f', x))[0]
def unit(v):
    v=[f(c) for c in v]; l=f(math.sqrt(f(f(v[1]*v[1]+v[0]*v[0])+v[2]*v[2]))); inv=f(1/l)
    return [f(c*inv) for c in v]
def renorm(n):  # the renderer side's normalisation
    l=f(math.sqrt(f(f(f(n[1]*n[1])+f(n[0]*n[0]))+f(n[2]*n[2])))); inv=f(1/l); return [f(c*inv) for c in n]
def band(s):
    if s>=1.0: s=f(0.97)
    w=f(f(1-s)*f(0.18)); return f(f(0.72)-w), f(w+f(0.72))
def smooth(lo,hi,x):
    if x<lo: return 0.0
    if x>hi: return 1.0
    t=f(f(x-lo)/f(hi-lo)); return f(f(f(3-f(2*t))*t)*t)
def term(V,N,L,lc,sc,r,s,alt=False):
    cosL=f(f(f(N[1]*L[1])+f(N[0]*L[0]))+f(N[2]*L[2]))
    if not cosL>0: return [0.0]*3, None
    H=[f(L[i]+V[i]) for i in range(3)]
    l=f(math.sqrt(f(f(f(H[0]*H[0])+f(H[1]*H[1]))+f(H[2]*H[2]))))
    if l!=0: inv=f(1/l); H=[f(c*inv) for c in H]
    if alt: cosH=f(f(H[0]*N[0])+f(f(H[1]*N[1])+f(H[2]*N[2])))
    else: cosH=f(f(f(H[1]*N[1])+f(H[0]*N[0]))+f(H[2]*N[2]))
    base=cosH if cosH>0 else 0.0
    e=f(1/r); lobe=f(base**e)
    lo,hi=band(s); k=smooth(lo,hi,lobe)
    if alt: return [f(lc[i]*f(k*sc[i])) for i in range(3)], k
    return [f(f(lc[i]*k)*sc[i]) for i in range(3)], k
normals=[[0,0,1],[0.6,0.8,0],[0.48,0.6,0.64],[0,-0.6,0.8]]
normals=[[f(c) for c in n] for n in normals]
assert all(renorm(n)==n for n in normals)  # the renderer's renormalisation keeps them
import random
random.seed(13)
def frame(n):
    # a tangent basis of the normal, in float32
    a=[1,0,0] if abs(n[0])<0.9 else [0,1,0]
    t1=[n[1]*a[2]-n[2]*a[1], n[2]*a[0]-n[0]*a[2], n[0]*a[1]-n[1]*a[0]]
    t1n=math.sqrt(sum(c*c for c in t1)); t1=[c/t1n for c in t1]
    t2=[n[1]*t1[2]-n[2]*t1[1], n[2]*t1[0]-n[0]*t1[2], n[0]*t1[1]-n[1]*t1[0]]
    return t1,t2
rows=[]
rs=[0.05,0.3,1.0,2.5,0.7]; ss=[-1.0,0.0,0.2,0.5,0.9,1.0,1.5]
tries=0
while len(rows)<10 and tries<100000:
    tries+=1
    n=normals[len(rows)%4]; t1,t2=frame(n)
    r=f(rs[len(rows)%5]); s=f(ss[len(rows)%7])
    a,b,c,d=[random.uniform(-2.5,2.5) for _ in range(4)]
    view=unit([a*t1[i]+b*t2[i]+n[i] for i in range(3)])
    L=unit([c*t1[i]+d*t2[i]+n[i] for i in range(3)])
    V=view; ray=[-x for x in V]
    lc=[f(random.choice([1.0,0.8,0.9,0.75,1.2])+random.uniform(-0.05,0.05)) for _ in range(3)]
    sc=[f(random.uniform(0.3,1.0)) for _ in range(3)]
    out,k=term(V,n,L,lc,sc,r,s)
    if k is None or not (0<k<1): continue
    alt,_=term(V,n,L,lc,sc,r,s,alt=True)
    if alt==out and random.random()<0.9: continue
    rows.append((ray,n,L,lc,sc,r,s,out))
# edge rows: light behind the surface (black), half vector on the normal (k = 1)
n=normals[0]
rows.append(([0.0,0.0,-1.0],n,unit([0.3,0.2,-0.5]),[f(1.0)]*3,[f(0.5)]*3,f(0.3),f(0.2),[0.0,0.0,0.0]))
V=unit([-0.3,0.1,-0.9]); L=unit([0.8,-0.2,0.3])
out,k=term(V,n,L,[f(0.9),f(0.8),f(0.7)],[f(0.5),f(0.6),f(0.7)],f(0.3),f(0.2))
assert k == 0.0 and out == [0.0,0.0,0.0]
rows.append(([-x for x in V],n,L,[f(0.9),f(0.8),f(0.7)],[f(0.5),f(0.6),f(0.7)],f(0.3),f(0.2),out))
V=unit([0.2,0.1,1.0]); L=unit([-0.2,-0.1,1.0])
out,k=term(V,n,L,[f(0.9),f(0.8),f(0.7)],[f(0.5),f(0.6),f(0.7)],f(0.3),f(0.2))
assert k == 1.0
rows.append(([-x for x in V],n,L,[f(0.9),f(0.8),f(0.7)],[f(0.5),f(0.6),f(0.7)],f(0.3),f(0.2),out))
import re
def h(x): return re.sub(r'0+p', 'p', float(x).hex()).replace('.p', '.0p') + 'f' if x != 0 else '0.0f'
def trip(v): return '{' + ', '.join(h(x) for x in v) + '}'
for row in rows:
    ray,n,L,lc,sc,r,s,out=row
    print('    {%s, %s, %s, %s, %s, %s, %s, %s},' % (trip(ray),trip(n),trip(L),trip(lc),trip(sc),h(r),h(s),trip(out)))
