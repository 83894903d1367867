# The manual's plots, drawn from the numbers quillet_manual_numbers writes.
#   gnuplot -e "numbers='FOLDER'; parts='FOLDER'" plots.gp
# SVG that scales with the page; one look for all three.
set terminal svg size 720,430 dynamic font "DejaVu Sans,13" background rgb "white"
set encoding utf8
set border 3 lw 1 lc rgb "#555555"
set tics nomirror textcolor rgb "#333333"
set grid lc rgb "#dddddd" lw 1
set key top left box lc rgb "#bbbbbb" opaque
set linetype 1 lw 2.5 lc rgb "#1f5fa6"
set linetype 2 lw 2.5 lc rgb "#c2571a"
set linetype 3 lw 2.5 lc rgb "#2e8540"
set linetype 4 lw 2.5 lc rgb "#7a3ea1"
set linetype 5 lw 2.5 lc rgb "#a61f4b"
set linetype 6 lw 2.5 lc rgb "#5b6770"
set linetype 7 lw 2.5 lc rgb "#b08900"

# Echo time against Delay, one line per Range.
set output parts."/echo-times.svg"
set xlabel "Delay (knob scale)"
set ylabel "Echo time (ms)"
set xrange [0:1]
set xtics nomirror ("0" 0, "2" 0.2, "4" 0.4, "6" 0.6, "8" 0.8, "10" 1)
set logscale y
set yrange [25:3000]
set ytics nomirror (30, 50, 100, 160, 200, 300, 500, 650, 1000, 2000, 2600)
data = numbers."/echo-times.dat"
plot data using 1:2 with lines title "Range 30-160 ms", \
     data using 1:3 with lines title "Range 120-650 ms", \
     data using 1:4 with lines title "Range 480-2600 ms"
unset logscale y
unset xtics
set xtics auto nomirror

# Gain of one pass through the feedback filters.
set output parts."/feedback-filters.svg"
set xlabel "Frequency (Hz)"
set ylabel "Gain (dB)"
set logscale x
set xrange [10:24000]
set xtics nomirror ("20" 20, "50" 50, "100" 100, "200" 200, "500" 500, "1k" 1000, "2k" 2000, \
           "5k" 5000, "10k" 10000, "20k" 20000)
set yrange [-30:3]
set ytics 6 nomirror
set key bottom center
data = numbers."/feedback-filters.dat"
plot data using 1:2 with lines title "200 Hz high-pass", \
     data using 1:3 with lines title "2500 Hz shelf", \
     data using 1:4 with lines title "7000 Hz low-pass", \
     data using 1:5 with lines lw 4 lc rgb "#111111" title "all three"
unset logscale x
set xtics auto nomirror
set ytics auto nomirror

# The level of successive repeats, one line per Repeat setting.
set output parts."/repeat-levels.svg"
set xlabel "Repeat number"
set ylabel "Level against the input (dB)"
set xrange [1:16]
set xtics 1 nomirror
set yrange [-100:5]
set ytics 10 nomirror
set key outside right top
data = numbers."/repeat-levels.dat"
load numbers."/repeat-levels.gp"
