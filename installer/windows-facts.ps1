# Gathers what a person checking Quorvel Folimar on Windows reports back: the printer, its port,
# driver and monitor, the process that holds the monitor, the recorded program path, the pending
# jobs and both logs. Read-only. Run in an administrator PowerShell (5.1 or later):
#   powershell -ExecutionPolicy Bypass -File .\windows-facts.ps1 > facts.txt
[CmdletBinding()]
param(
    [string]$PrinterName = 'Quorvel Virtual Printer',
    [string]$PortName = 'QUORVEL:',
    [string]$MonitorName = 'Quorvel Port Monitor'
)

$ErrorActionPreference = 'Continue'

function Write-Section([string]$Title) {
    Write-Output ''
    Write-Output "== $Title"
}

function Write-Fact([string]$Name, $Value) {
    if ($null -eq $Value -or "$Value" -eq '') { $Value = '(none)' }
    Write-Output ('{0,-28} {1}' -f $Name, $Value)
}

Write-Section 'Machine'
$os = Get-CimInstance -ClassName Win32_OperatingSystem
Write-Fact 'Windows' "$($os.Caption) $($os.Version) build $($os.BuildNumber) $($os.OSArchitecture)"
Write-Fact 'Time' (Get-Date -Format 'yyyy-MM-dd HH:mm:ss')
Write-Fact 'Spooler service' (Get-Service -Name Spooler).Status

Write-Section 'Printer'
$printer = Get-Printer -Name $PrinterName -ErrorAction SilentlyContinue
if ($printer) {
    Write-Fact 'Name' $printer.Name
    Write-Fact 'Driver' $printer.DriverName
    Write-Fact 'Port' $printer.PortName
    Write-Fact 'Print processor' $printer.PrintProcessor
    Write-Fact 'Data type' $printer.Datatype
    Write-Fact 'Status' $printer.PrinterStatus
    Write-Fact 'Driver as expected' ($printer.DriverName -eq 'Microsoft PS Class Driver')
    Write-Fact 'Port as expected' ($printer.PortName -eq $PortName)
    Get-PrintJob -PrinterName $PrinterName -ErrorAction SilentlyContinue | ForEach-Object {
        Write-Fact "Job $($_.Id)" "$($_.DocumentName) | $($_.UserName) | $($_.JobStatus)"
    }
} else {
    Write-Fact 'Name' "$PrinterName is not installed"
}

Write-Section 'Port and driver'
$port = Get-PrinterPort -Name $PortName -ErrorAction SilentlyContinue
Write-Fact 'Port' $(if ($port) { "$($port.Name) (monitor: $($port.PortMonitor))" } else { 'not there' })
$driver = Get-PrinterDriver -Name 'Microsoft PS Class Driver' -ErrorAction SilentlyContinue
Write-Fact 'Class driver' $(if ($driver) { "$($driver.Name) $($driver.MajorVersion) $($driver.PrinterEnvironment)" } else { 'not installed' })

Write-Section 'Port monitor'
$monitorKey = "HKLM:\SYSTEM\CurrentControlSet\Control\Print\Monitors\$MonitorName"
$monitor = Get-ItemProperty -Path $monitorKey -ErrorAction SilentlyContinue
Write-Fact 'Registered DLL' $(if ($monitor) { $monitor.Driver } else { 'not registered' })
$dll = Join-Path $env:SystemRoot 'System32\quorvelmon.dll'
if (Test-Path $dll) {
    $file = Get-Item $dll
    Write-Fact 'quorvelmon.dll' "$($file.Length) bytes, $($file.LastWriteTime.ToString('yyyy-MM-dd HH:mm:ss'))"
} else {
    Write-Fact 'quorvelmon.dll' 'not in System32'
}
Write-Fact 'Waiting replacement' (Test-Path "$dll.new")
$pendingRenames = (Get-ItemProperty -Path 'HKLM:\SYSTEM\CurrentControlSet\Control\Session Manager' -Name PendingFileRenameOperations -ErrorAction SilentlyContinue).PendingFileRenameOperations
Write-Fact 'Renames at restart' (($pendingRenames | Where-Object { $_ -like '*quorvelmon*' }) -join ' ; ')
$hosts = foreach ($name in 'spoolsv', 'PrintIsolationHost') {
    Get-Process -Name $name -ErrorAction SilentlyContinue | Where-Object {
        $_.Modules | Where-Object { $_.ModuleName -ieq 'quorvelmon.dll' }
    } | ForEach-Object { "$($_.ProcessName) (pid $($_.Id))" }
}
Write-Fact 'Loaded by' ($hosts -join ', ')

Write-Section 'Program'
$product = Get-ItemProperty -Path 'HKLM:\SOFTWARE\Quorvel Folimar' -ErrorAction SilentlyContinue
$program = if ($product) { $product.Program } else { $null }
Write-Fact 'Program value' $program
Write-Fact 'Program file there' $(if ($program) { Test-Path $program } else { $false })
Write-Fact 'Running folimar.exe' ((Get-Process -Name folimar -ErrorAction SilentlyContinue | ForEach-Object { "pid $($_.Id) session $($_.SessionId)" }) -join ', ')
$ghostscript = Get-ChildItem -Path 'HKLM:\SOFTWARE\GPL Ghostscript', 'HKLM:\SOFTWARE\Artifex Ghostscript' -ErrorAction SilentlyContinue
Write-Fact 'Ghostscript (64-bit)' (($ghostscript | ForEach-Object { $_.PSChildName }) -join ', ')

Write-Section 'Pending jobs'
$shared = Join-Path $env:ProgramData 'Quorvel Folimar'
$folders = @(Join-Path $env:APPDATA 'QUORPSFILES\PENDING')
if (Test-Path (Join-Path $shared 'pending')) {
    $folders += Get-ChildItem -Path (Join-Path $shared 'pending') -Directory | ForEach-Object { $_.FullName }
}
foreach ($folder in $folders) {
    $files = Get-ChildItem -Path $folder -File -ErrorAction SilentlyContinue
    Write-Fact $folder $(if ($files) { ($files | ForEach-Object { "$($_.Name) ($($_.Length))" }) -join ', ' } else { 'empty' })
}

foreach ($log in 'setup.log', 'monitor.log') {
    Write-Section $log
    $path = Join-Path $shared $log
    if (Test-Path $path) {
        Get-Content -Path $path -Tail 40 -Encoding UTF8
    } else {
        Write-Output "(no $path)"
    }
}
