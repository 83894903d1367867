// glibc's erf with the x86-64 build's rounding, on any processor (x86_erf.cpp).
#pragma once

double glibcX86Erf(double x);
