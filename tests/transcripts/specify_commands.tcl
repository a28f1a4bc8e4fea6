# host: engine-double -engine specify_commands.engine -calls
# specify: path-pulse limits (times in the user unit, 1 ps here, or with a unit), the pulse
# style, and showing cancelled events.
specify
specify PathPulse 1
specify pathpulse 5 ns
specify pathpulse 5ns 8ns
specify pathpulse 5 8
specify pathpulse 5 ns 8 ps
specify pathpulse "10 us" 1.5ns
specify pathpulse 5 ns 8 ps extra
specify pathpulse 1 2 3 4 5
specify pathpulse
specify pathpulse abc
specify pathpulse 5ns xyz
specify pathpulse 5 xs
specify pathpulse -5
specify pathpulse 5ns 1.2.3
specify pathpulse 9224 s
specify pulsestyle onevent
specify pulsestyle ondetect
specify pulsestyle onevent
specify pulsestyle OnEvent
specify pulsestyle
specify pulsestyle onevent ondetect
specify showcancelled
specify showcancelled yes
specify noshowcancelled
specify noshowcancelled {}
quit
