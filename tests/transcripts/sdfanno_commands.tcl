# host: engine-double -engine sdfanno_commands.engine -calls
# sdfanno: the delay kind and file, the flags and the root block, and its failures. The
# current scope is /tb. The usage block comes before the description of a usage error.
sdfanno -max missing.sdf
sdfanno -max top.sdf
sdfanno -typ a.sdf -nowarn -noerror -root /tb/dut
sdfanno -min a.sdf -max b.sdf
sdfanno -noerror -min c.sdf -root dut
sdfanno -typ d.sdf -root /tb -root /tb/dut
sdfanno -min
sdfanno
sdfanno -min a.sdf -nowarn -noerror -root /tb -nowarn
sdfanno a.sdf -max
sdfanno -MAX a.sdf
sdfanno -nowarn -max
sdfanno -max a.sdf -root
sdfanno -max a.sdf -root /nowhere
sdfanno -nowarn -noerror
sdfanno -max {} -nowarn
onerror {resume}
puts "failed sdfanno with onerror resume returns [catch {sdfanno -min}]"
onerror {}
quit
