# The console launcher has no waveform window: every window command says so once its arguments
# have parsed, and wave log needs the engine. Usage errors are found first.
wave add clk
wave add -wcfg w1 nothing
group add g1
divider add d1 -color red
virtualbus add b1 -radix hex
marker add 10 ns
wcfg new
wcfg open a.wcfg
wcfg save a.wcfg
wcfg select a.wcfg
wave log clk
wave
wave ADD clk
group
group add
group add g1 -color red
divider add
virtualbus add -radix hex
marker
marker add -5
marker add 1 2 3
marker add soon
wcfg
wcfg open
wcfg new extra
wave add -into
wave add -color #12345 clk
puts "without onerror: [catch {wave add clk}]"
onerror {resume}
puts "with onerror resume: [catch {wave add clk}]"
quit
