# Frame interval over time for sorvane and the floor. Called by run_bench.py with
# the variables sorvane, floor (data files) and output (the PNG) set.
set terminal pngcairo size 900,450 font ",10"
set output output
set title "Frame interval, buffer swap to buffer swap"
set xlabel "time since the first frame (s)"
set ylabel "interval (ms)"
set logscale y
set grid
set key below horizontal
set autoscale xfix
plot sorvane using 1:2 with lines lw 1 title "sorvane", \
     floor using 1:2 with lines lw 1 title "floor (clear and swap only)"
