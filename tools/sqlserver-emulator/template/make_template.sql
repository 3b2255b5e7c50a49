-- The demo template database that the installer restores: its files carry the
-- logical names mirvox_data and mirvox_log, and t_sys_system holds the
-- system parameters with the single-store Is_Distributed row.
CREATE DATABASE mirvox_template
    ON PRIMARY (NAME = N'mirvox_data', FILENAME = N'C:\template\mirvox_template.mdf', SIZE = 4MB, FILEGROWTH = 10%)
    LOG ON (NAME = N'mirvox_log', FILENAME = N'C:\template\mirvox_template_log.ldf', SIZE = 1MB, FILEGROWTH = 10%)
GO
USE mirvox_template
GO
CREATE TABLE t_sys_system (
    sys_var_id nvarchar(40) NOT NULL,
    sys_var_name nvarchar(60) NULL,
    sys_var_value nvarchar(200) NULL,
    sys_ver_flag nvarchar(10) NULL,
    sys_inited nvarchar(10) NULL
)
GO
INSERT INTO t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited)
VALUES (N'Is_Distributed', N'单店', N'0', N'', N'1'),
       (N'Sys_Version', N'系统版本', N'9.0', N'', N'1'),
       (N'Company_Name', N'公司名称', N'Korvena 零售', N'', N'0'),
       (N'Store_Code', N'门店编号', N'0001', N'', N'0'),
       (N'Price_Decimals', N'价格小数位数', N'2', N'', N'1'),
       (N'Allow_Negative_Stock', N'允许负库存', N'0', N'', N'1'),
       (N'Receipt_Footer', N'小票页脚', N'谢谢惠顾，欢迎再次光临', N'', N'0')
GO
USE master
GO
BACKUP DATABASE mirvox_template TO DISK = N'C:\template\mirvox.dat' WITH INIT, NAME = N'mirvox template'
GO
